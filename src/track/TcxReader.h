// Reading Garmin Training Center (TCX) files into the track store.
#pragma once

#include <string_view>

#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal {

// One point per Trackpoint, from its Time, Position (LatitudeDegrees, LongitudeDegrees) and
// AltitudeMeters, in activities and courses alike. A Trackpoint without a Position (indoor
// training, a pause) is counted as a point without a position. A broken document gives the
// points before the damage.
TrackReadResult ReadTcxText(std::string_view bytes, TrackStore& store);

}  // namespace geotal
