// The kinds of track file Geotal reads, and telling which one a folder entry is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace geotal {

enum class TrackFormat { Gpx, Csv, Nmea, Kml, Kmz, Tcx, GeoJson, GoogleHistory, Igc, Fit };

// The short name the trace and the command line show: "GPX", "CSV", "NMEA", ...
const char* TrackFormatName(TrackFormat format);

// The format of a folder entry. GPX and CSV keep their old rule (the last three characters of
// the path, any case, so "trip.xgpx" counts); the others go by their extension. Names ending in
// .json, .xml, .txt or .log, and names without any ending (as some loggers write), say nothing
// by themselves: their first bytes decide. Nothing when the entry is not a track file Geotal
// reads.
std::optional<TrackFormat> TrackFormatOfFile(const std::string& path);

// The format of a file named on its own, which its user takes for a track file: by its name as
// above, else by its first bytes whatever its name.
std::optional<TrackFormat> TrackFormatOfNamedFile(const std::string& path);

// The format of a file whose extension does not tell, from its first bytes (UTF-16 included).
std::optional<TrackFormat> TrackFormatOfContent(std::string_view head);

}  // namespace geotal
