// gpsbabel as a second opinion on the track readers: the points it reads from a file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "track/TrackStore.h"

namespace geotal::testing {

// Whether gpsbabel can be run here.
bool HaveGpsBabel();

// The timed points gpsbabel reads from the file with its input format (such as "nmea"), in
// UTC, latitude and longitude in seconds of arc: its waypoints, its track points, or both.
// Nothing when gpsbabel fails.
enum class BabelPoints { Waypoints, Tracks, Both };
std::optional<std::vector<TrackPoint>> GpsBabelPoints(const std::string& format,
                                                      const std::string& path, BabelPoints which);

// Empty when both lists hold the same fixes, taken in time order: positions within a
// hundredth of an arc second (gpsbabel writes six decimals), times within a millisecond,
// elevations within 5 cm where gpsbabel gives one (it writes one decimal). Otherwise the first
// difference.
std::string FirstDifference(const std::vector<TrackPoint>& ours,
                            const std::vector<TrackPoint>& theirs);

}  // namespace geotal::testing
