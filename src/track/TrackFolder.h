// Loading every track file of the GPS folder into the track store.
#pragma once

#include <string>
#include <vector>

#include "support/Progress.h"
#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal {

struct TrackFolderCounts {
    int gpsFileCount = 0;   // entries handed to a reader, whether or not they could be read
    int positionCount = 0;  // points in the store after the load
    std::vector<TrackFileReport> files;  // one per entry handed to a reader, in load order
};

// Empties the store and reads the folder's entries in name order: each entry whose name or
// content says it is a track file (see TrackFormatOfFile) goes to its format's reader. Every
// entry gets a trace line. The progress shows "Getting tracking information..." over the
// number of track files; it is stepped and pumped after each entry but never ended and never
// aborted here, because the photo reading that follows takes the display over. A missing
// folder gives 0 and 0.
TrackFolderCounts LoadTrackFolder(const std::string& folder, TrackStore& store,
                                  ProgressSink& progress);

// Empties the store and reads the one file at path as LoadTrackFolder reads each of its track
// files, telling its format by its content where its name does not tell (see
// TrackFormatOfNamedFile); a file that is no track file of a known format gives no file and no
// point.
TrackFolderCounts LoadTrackFile(const std::string& path, TrackStore& store);

}  // namespace geotal
