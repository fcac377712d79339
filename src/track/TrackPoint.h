// One GPS fix: position in seconds of arc, elevation as the file gives it, time as a day count.
#pragma once

namespace geotal {

struct TrackPoint {
    double latitude = 0, longitude = 0, elevation = 0, time = 0;
    // Whether the fix came with an elevation of its own; without one, elevation is only a
    // placeholder and gives a photo no altitude.
    bool hasElevation = false;
};

}  // namespace geotal
