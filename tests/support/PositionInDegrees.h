// A position given in decimal degrees, as the cases of tests are easiest to read and write.
#pragma once

#include <optional>

#include "support/Angles.h"
#include "support/GeoPosition.h"

namespace geotal::test {

inline GeoPosition AtDegrees(double latitude, double longitude,
                             std::optional<double> altitude = std::nullopt) {
    return {DegreesToArcSeconds(latitude), DegreesToArcSeconds(longitude), altitude, {}};
}

}  // namespace geotal::test
