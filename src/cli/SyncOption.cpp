#include "cli/SyncOption.h"

#include "geotag/UtcOffsetText.h"
#include "support/DateTime.h"

namespace geotal::cli {
namespace {

// The number of the digits at [start, start + length), or -1 when any is not a digit.
int Digits(const std::string& text, std::size_t start, std::size_t length) {
    int value = 0;
    for (std::size_t i = start; i < start + length; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<SyncRequest> ParseSyncOption(const std::string& text) {
    const std::size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0) {
        return std::nullopt;
    }
    SyncRequest request;
    request.photo = text.substr(0, equals);
    const std::string time = text.substr(equals + 1);
    // YYYY-MM-DDTHH:MM:SS, then the zone
    if (time.size() < 19 || time[4] != '-' || time[7] != '-' || time[10] != 'T' ||
        time[13] != ':' || time[16] != ':') {
        return std::nullopt;
    }
    const CalendarTime calendar{Digits(time, 0, 4),  Digits(time, 5, 2),  Digits(time, 8, 2),
                                Digits(time, 11, 2), Digits(time, 14, 2), Digits(time, 17, 2)};
    if (!IsValidCalendarTime(calendar) || calendar.year < 100) {
        return std::nullopt;
    }
    request.shownTime = ToOleDate(calendar);
    const std::string zone = time.substr(19);
    if (zone == "Z") {
        request.offsetSeconds = 0;
    } else if (!zone.empty()) {
        request.offsetSeconds = ParseUtcOffsetText(zone);
        if (!request.offsetSeconds) {
            return std::nullopt;
        }
    }
    return request;
}

}  // namespace geotal::cli
