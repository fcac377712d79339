// geotal-cli tag --json: one JSON object per photo, for scripts.
#pragma once

#include <string>
#include <vector>

#include "geotag/PositionCalculation.h"
#include "photo/PhotoList.h"
#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal::cli {

// {"name", "cameraTime", "utcTime", "timeSource", "zone", "offset", "clockError", "latitude",
// "longitude", "altitude", "outcome", "reason", "timeReason", "points", "written"} on one line
// (each point with the track file it came from, files being the load's in store order);
// times as ISO 8601 ("2023-07-15T09:12:30", UTC ones ending in "Z"), angles in degrees, the
// altitude in metres, the clock error in seconds; null where the photo has none.
std::string PhotoJson(const PhotoRecord& photo, const PositionResult& result,
                      const TrackStore& track, const std::vector<TrackFileReport>& files,
                      bool written);

}  // namespace geotal::cli
