// One GPS fix: position in seconds of arc, elevation as the file gives it, time as a day count.
#pragma once

namespace geotal {

struct TrackPoint {
    double latitude = 0, longitude = 0, elevation = 0, time = 0;
};

}  // namespace geotal
