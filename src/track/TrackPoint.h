// One GPS fix: position in seconds of arc, elevation as the file gives it, time as a day count.
#pragma once

#include <optional>

namespace geotal {

struct TrackPoint {
    double latitude = 0, longitude = 0;
    // Metres, as the file gives it; none for a fix without one, which gives a photo no altitude.
    std::optional<double> elevation;
    double time = 0;
};

}  // namespace geotal
