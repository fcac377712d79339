// A camera clock synchronised from photos of a known time (a GPS or phone screen): each such
// photo says how far the clock was off when it was taken.
#pragma once

#include <string>
#include <vector>

namespace geotal {

struct ClockSyncPoint {
    double cameraTime = 0;            // the photo's camera time, OLE Automation date
    long long clockErrorSeconds = 0;  // how far the clock ran ahead at that moment

    friend bool operator==(const ClockSyncPoint&, const ClockSyncPoint&) = default;
};

// The clock error at a camera time. Without points: fixedError. With one: its error. With more:
// the straight line through the two points around the camera time (in camera time), continued
// beyond the first and the last, so a clock that drifts steadily is followed over a trip.
// Whole seconds, rounded.
long long ClockErrorAt(const std::vector<ClockSyncPoint>& points, double cameraTime,
                       long long fixedError);

// For two or more points, one sentence that says the clock error is not one number: each
// photo's camera time and clock error, in camera-time order. Empty for fewer points, where the
// clock error field says it all.
std::string DriftDescription(const std::vector<ClockSyncPoint>& points);

// Adds a point, or replaces the one at the same camera time; keeps the points in camera-time
// order.
void AddSyncPoint(std::vector<ClockSyncPoint>& points, const ClockSyncPoint& point);

}  // namespace geotal
