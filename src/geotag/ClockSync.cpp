#include "geotag/ClockSync.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>

#include "geotag/PhotoUtcTime.h"
#include "support/DateTime.h"

namespace geotal {

std::string DriftDescription(const std::vector<ClockSyncPoint>& points) {
    if (points.size() < 2) {
        return {};
    }
    std::string text = "The clock error follows the camera's drift between " +
                       std::to_string(points.size()) + " synchronised photos:";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const CalendarTime t = FromOleDate(points[i].cameraTime);
        char when[40];
        std::snprintf(when, sizeof when, " %04d-%02d-%02d %02d:%02d:%02d ", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
        text +=
            (i == 0 ? "" : ",") + std::string(when) + ClockErrorText(points[i].clockErrorSeconds);
    }
    return text + ". A value typed here replaces them.";
}

long long ClockErrorAt(const std::vector<ClockSyncPoint>& points, double cameraTime,
                       long long fixedError) {
    if (points.empty()) {
        return fixedError;
    }
    if (points.size() == 1) {
        return points.front().clockErrorSeconds;
    }
    // The segment whose end is the first point later than the camera time; the first or the
    // last segment outside the points.
    const auto later = std::upper_bound(
        points.begin(), points.end(), cameraTime,
        [](double time, const ClockSyncPoint& point) { return time < point.cameraTime; });
    std::size_t end = static_cast<std::size_t>(later - points.begin());
    end = std::clamp<std::size_t>(end, 1, points.size() - 1);
    const ClockSyncPoint& a = points[end - 1];
    const ClockSyncPoint& b = points[end];
    const double f = (cameraTime - a.cameraTime) / (b.cameraTime - a.cameraTime);
    const double error = static_cast<double>(a.clockErrorSeconds) +
                         static_cast<double>(b.clockErrorSeconds - a.clockErrorSeconds) * f;
    // Two sync photos seconds apart with different errors make a steep line; far beyond them
    // it leaves any sensible range, and is held where rounding stays defined.
    constexpr double kFarthest = 1e12;  // seconds, some 30,000 years
    return std::llround(std::clamp(error, -kFarthest, kFarthest));
}

void AddSyncPoint(std::vector<ClockSyncPoint>& points, const ClockSyncPoint& point) {
    const auto at =
        std::lower_bound(points.begin(), points.end(), point.cameraTime,
                         [](const ClockSyncPoint& p, double time) { return p.cameraTime < time; });
    if (at != points.end() && at->cameraTime == point.cameraTime) {
        *at = point;
    } else {
        points.insert(at, point);
    }
}

}  // namespace geotal
