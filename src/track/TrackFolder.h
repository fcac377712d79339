// Loading every GPX and CSV file of the GPS folder into the track store.
#pragma once

#include <string>

#include "support/Progress.h"
#include "track/TrackStore.h"

namespace geotal {

struct TrackFolderCounts {
    int gpsFileCount = 0;   // entries handed to a reader, whether or not they could be read
    int positionCount = 0;  // points in the store after the load
};

// Empties the store and reads the folder's entries in name order: those whose path ends in
// "gpx" or "csv" (any case) go to the GPX or CSV reader. Every entry gets a trace line. The
// progress shows "Getting tracking information..." over the number of track files; it is
// stepped and pumped after each entry but never ended and never aborted here, because the
// photo reading that follows takes the display over. A missing folder gives 0 and 0.
TrackFolderCounts LoadTrackFolder(const std::string& folder, TrackStore& store,
                                  ProgressSink& progress);

// Whether the last three characters of the path, upper-cased, are "GPX" or "CSV" (so
// "trip.xgpx" counts and "track.gpx1" does not).
enum class TrackFileKind { None, Gpx, Csv };
TrackFileKind TrackFileKindOf(const std::string& path);

}  // namespace geotal
