// Angles: positions are held in seconds of arc everywhere; degrees appear only in files and text.
#pragma once

namespace geotal {

inline constexpr double kArcSecondsPerDegree = 3600.0;
inline constexpr double kArcSecondsPerMinute = 60.0;

constexpr double DegreesToArcSeconds(double degrees) {
    return degrees * kArcSecondsPerDegree;
}

constexpr double ArcSecondsToDegrees(double arcSeconds) {
    return arcSeconds / kArcSecondsPerDegree;
}

// Degrees, minutes and seconds of arc as a file stores them, back to seconds of arc.
constexpr double DmsToArcSeconds(double degrees, double minutes, double seconds) {
    return degrees * kArcSecondsPerDegree + minutes * kArcSecondsPerMinute + seconds;
}

// Whether a position in seconds of arc lies on the globe: latitude within ±90°, longitude
// within ±180°. Written so that a value that is not a number fails too.
constexpr bool IsOnGlobe(double latitude, double longitude) {
    return latitude >= -90 * kArcSecondsPerDegree && latitude <= 90 * kArcSecondsPerDegree &&
           longitude >= -180 * kArcSecondsPerDegree && longitude <= 180 * kArcSecondsPerDegree;
}

}  // namespace geotal
