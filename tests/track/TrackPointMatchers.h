// Comparing track points in tests with readable failure messages.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "output/Formatting.h"
#include "support/Angles.h"
#include "support/DateTime.h"
#include "track/TrackPointGate.h"
#include "track/TrackStore.h"

namespace geotal {

inline bool operator==(const TrackPoint& a, const TrackPoint& b) {
    // An elevation counts by its value alone, as the readers' cases give it; whether a point has
    // one is compared where a case says so.
    return a.latitude == b.latitude && a.longitude == b.longitude &&
           a.elevation.value_or(0) == b.elevation.value_or(0) && a.time == b.time;
}

inline std::ostream& operator<<(std::ostream& out, const TrackPoint& p) {
    out << "{" << p.latitude << ", " << p.longitude << ", ";
    if (p.elevation) {
        out << *p.elevation;
    } else {
        out << "no elevation";
    }
    return out << ", " << FormatPhotoTime(p.time) << "}";
}

inline bool operator==(const SkippedPoints& a, const SkippedPoints& b) {
    return a.withoutPosition == b.withoutPosition && a.withoutTime == b.withoutTime &&
           a.offGlobe == b.offGlobe;
}

inline std::ostream& operator<<(std::ostream& out, const SkippedPoints& s) {
    return out << "{" << s.withoutPosition << " without a position, " << s.withoutTime
               << " without a time, " << s.offGlobe << " off the globe}";
}

namespace testing {

inline std::vector<TrackPoint> PointsOf(const TrackStore& store) {
    std::vector<TrackPoint> points;
    for (int i = 0; i < store.Count(); ++i) {
        points.push_back(store.At(i));
    }
    return points;
}

// Empty when every point of the store is a fix that can have happened: a time other than 0, a
// position other than 0/0, on the globe. Otherwise the first point that is not.
inline std::string FirstUnrealFix(const TrackStore& store) {
    for (int i = 0; i < store.Count(); ++i) {
        const TrackPoint& p = store.At(i);
        if (p.time == 0 || (p.latitude == 0 && p.longitude == 0) ||
            !IsOnGlobe(p.latitude, p.longitude)) {
            std::ostringstream text;
            text << "point " << i << " " << p;
            return text.str();
        }
    }
    return {};
}

// A fix in degrees without an elevation, and one with.
inline TrackPoint At(double latitude, double longitude, double time) {
    return {latitude * 3600, longitude * 3600, std::nullopt, time};
}

inline TrackPoint High(double latitude, double longitude, double elevation, double time) {
    return {latitude * 3600, longitude * 3600, elevation, time};
}

inline double Ole(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return ToOleDate({year, month, day, hour, minute, second});
}

}  // namespace testing
}  // namespace geotal
