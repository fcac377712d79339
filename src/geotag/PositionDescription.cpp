// The tooltip sentences that say why a photo got its position, or none.
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "geotag/PositionCalculation.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

// Day counts beyond this (the year 9999 and more) are not shown as clock readings.
constexpr double kLargestShownDays = 2958466.0;

// The moment as a calendar reading, or none where it is too far out to show.
std::optional<CalendarTime> Shown(double dayCount) {
    if (!(std::fabs(dayCount) < kLargestShownDays)) {
        return std::nullopt;
    }
    return FromOleDate(dayCount);
}

std::string ClockText(double dayCount) {
    const std::optional<CalendarTime> time = Shown(dayCount);
    if (!time) {
        return "--:--:--";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time->hour, time->minute, time->second);
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

// "2019-05-02"
std::string DateText(double dayCount) {
    const std::optional<CalendarTime> time = Shown(dayCount);
    if (!time) {
        return "an unknown day";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", time->year, time->month, time->day);
    return text;
}

// Longer than this, the two points belong to different outings, and the gap's length says less
// than the days it lies between.
constexpr double kOutingGap = 1.0;

std::string GapText(const PositionResult& result) {
    const double gap = result.afterTime - result.beforeTime;
    if (gap > kOutingGap) {
        return "no track between " + DateText(result.beforeTime) + " and " +
               DateText(result.afterTime);
    }
    return "the track has a gap of " + DurationText(gap) + " here";
}

// "in a gap of 4 h 15 min", or "in a gap from 2019-05-02 to 2024-02-17" between outings.
std::string InGapText(const PositionResult& result) {
    const double gap = result.afterTime - result.beforeTime;
    if (gap > kOutingGap) {
        return "in a gap from " + DateText(result.beforeTime) + " to " + DateText(result.afterTime);
    }
    return "in a gap of " + DurationText(gap);
}

std::string Count(int count, const char* what) {
    return std::to_string(count) + " " + what;
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
            return "No position: " + GapText(result);
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

std::string DescribeCalculation(const std::vector<PositionResult>& results) {
    int interpolated = 0, nearest = 0, gap = 0, far = 0, noTime = 0, empty = 0;
    const PositionResult* aGap = nullptr;
    for (const PositionResult& result : results) {
        switch (result.outcome) {
            case PositionOutcome::Interpolated:
                ++interpolated;
                break;
            case PositionOutcome::Before:
            case PositionOutcome::After:
                ++nearest;
                break;
            case PositionOutcome::Gap:
                ++gap;
                aGap = &result;
                break;
            case PositionOutcome::Far:
                ++(result.withoutCaptureTime ? noTime : far);
                break;
            case PositionOutcome::Empty:
                ++empty;
                break;
            case PositionOutcome::Unchecked:
                break;
        }
    }
    std::string text = std::to_string(interpolated + nearest) + " of " +
                       std::to_string(results.size()) + " photos placed";
    std::vector<std::string> placed, missed;
    if (interpolated > 0) {
        placed.push_back(Count(interpolated, "interpolated"));
    }
    if (nearest > 0) {
        placed.push_back(Count(nearest, "on the nearest track point"));
    }
    if (gap == 1) {
        missed.push_back("1 " + InGapText(*aGap));
    } else if (gap > 1) {
        missed.push_back(Count(gap, "in gaps of the track"));
    }
    if (far > 0) {
        missed.push_back(Count(far, "too far from the track"));
    }
    if (noTime > 0) {
        missed.push_back(Count(noTime, "without a capture time"));
    }
    if (empty > 0) {
        missed.push_back(Count(empty, "without any track point to go by"));
    }
    const auto join = [](const std::vector<std::string>& parts) {
        std::string joined;
        for (const std::string& part : parts) {
            joined += (joined.empty() ? "" : ", ") + part;
        }
        return joined;
    };
    if (!placed.empty()) {
        text += ": " + join(placed);
    }
    if (!missed.empty()) {
        text += (placed.empty() ? ": " : "; ") + join(missed);
    }
    return text;
}

}  // namespace geotal
