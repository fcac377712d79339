// A place on the globe as the whole program holds it, and the rules about having one.
#pragma once

#include <cmath>
#include <optional>

#include "support/Angles.h"

namespace geotal {

// Latitude and longitude in seconds of arc (north and east positive), an altitude when one is
// known, and the UTC moment of the fix when the position came from a track. "No position" is
// an empty std::optional<GeoPosition>, never 0/0: 0/0 exists only in file formats that use it.
struct GeoPosition {
    double latitude = 0;
    double longitude = 0;
    std::optional<double> altitude;  // metres, negative below sea level
    std::optional<double> fixTime;   // OLE Automation date in UTC; none for a typed or pasted one

    double LatitudeDegrees() const { return ArcSecondsToDegrees(latitude); }
    double LongitudeDegrees() const { return ArcSecondsToDegrees(longitude); }

    friend bool operator==(const GeoPosition&, const GeoPosition&) = default;
};

using MaybePosition = std::optional<GeoPosition>;

// A position read from a format where 0/0 stands for "none" (EXIF, the export's convention).
inline MaybePosition PositionFromFileValues(double latitude, double longitude,
                                            std::optional<double> altitude = std::nullopt) {
    if (latitude == 0.0 && longitude == 0.0) {
        return std::nullopt;
    }
    return GeoPosition{latitude, longitude, altitude, {}};
}

// Whether a map can be shown for it: both angles within 0.0001° of zero count as no position
// there, however it was made.
inline bool IsShowableOnMap(const MaybePosition& position) {
    return position && !(std::fabs(position->LatitudeDegrees()) < 0.0001 &&
                         std::fabs(position->LongitudeDegrees()) < 0.0001);
}

// What a paste gives a photo: the copied place and its altitude; the moment of the source's fix
// is not this photo's moment.
inline GeoPosition PastedPosition(const GeoPosition& copied) {
    GeoPosition pasted = copied;
    pasted.fixTime.reset();
    return pasted;
}

}  // namespace geotal
