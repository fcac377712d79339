// The tooltip sentences that say why a photo got its position, or none.
#include <cmath>
#include <cstdio>

#include "geotag/PositionCalculation.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

// Day counts beyond this (the year 9999 and more) are not shown as clock readings.
constexpr double kLargestShownDays = 2958466.0;

std::string ClockText(double dayCount) {
    if (!(std::fabs(dayCount) < kLargestShownDays)) {
        return "--:--:--";
    }
    const CalendarTime time = FromOleDate(dayCount);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

// A length of time in the two largest units that matter: "40 s", "5 min", "4 min 30 s",
// "5 h 02 min", "3 d 04 h".
std::string DurationText(double days) {
    if (!(std::fabs(days) < kLargestShownDays)) {
        return "an unknown time";
    }
    const long long seconds = std::llround(std::fabs(days) * 86400.0);
    char text[48];
    if (seconds < 60) {
        std::snprintf(text, sizeof text, "%lld s", seconds);
    } else if (seconds < 3600) {
        if (seconds % 60 == 0) {
            std::snprintf(text, sizeof text, "%lld min", seconds / 60);
        } else {
            std::snprintf(text, sizeof text, "%lld min %02lld s", seconds / 60, seconds % 60);
        }
    } else if (seconds < 86400) {
        const long long minutes = (seconds + 30) / 60;  // to the nearest minute
        std::snprintf(text, sizeof text, "%lld h %02lld min", minutes / 60, minutes % 60);
    } else {
        const long long hours = (seconds + 1800) / 3600;
        std::snprintf(text, sizeof text, "%lld d %02lld h", hours / 24, hours % 24);
    }
    return text;
}

std::string TakenPointText(double pointTime, double distance, const char* side) {
    std::string text = "Position of the track point at " + ClockText(pointTime) + " UTC, ";
    if (distance == 0) {
        return text + "the photo's own time";
    }
    return text + DurationText(distance) + " " + side + " the photo";
}

}  // namespace

std::string DescribePositionResult(const PositionResult& result) {
    switch (result.outcome) {
        case PositionOutcome::Interpolated:
            return "Interpolated between " + ClockText(result.beforeTime) + " and " +
                   ClockText(result.afterTime) + " UTC";
        case PositionOutcome::Before:
            return TakenPointText(result.beforeTime, result.nearestDistance, "before");
        case PositionOutcome::After:
            return TakenPointText(result.afterTime, result.nearestDistance, "after");
        case PositionOutcome::Gap:
            return "No position: the track has a gap of " +
                   DurationText(result.afterTime - result.beforeTime) + " here";
        case PositionOutcome::Far:
            if (result.withoutCaptureTime) {
                return "No position: the photo has no capture time";
            }
            if (result.beforeIndex < 0 && result.afterIndex < 0) {
                return "No position: no track point could be matched to the photo's time";
            }
            return "No position: the nearest track point is " +
                   DurationText(result.nearestDistance) + " away";
        case PositionOutcome::Empty:
            return "No position: the track is empty";
        case PositionOutcome::Unchecked:
            break;
    }
    return "Not calculated: the photo was not checked";
}

}  // namespace geotal
