#include "track/TrackTime.h"

#include <optional>
#include <string>

#include "support/AsciiText.h"
#include "support/DateTime.h"
#include "support/DateTimeText.h"
#include "track/TextToFloat.h"

namespace geotal {
namespace {

// The fraction after the seconds of "hh:mm:ss.fff", or 0.
double FractionOfSecond(std::string_view text) {
    for (std::size_t dot = text.find('.'); dot != std::string_view::npos;
         dot = text.find('.', dot + 1)) {
        if (dot >= 3 && text[dot - 3] == ':' && IsDigit(text[dot - 2]) && IsDigit(text[dot - 1]) &&
            dot + 1 < text.size() && IsDigit(text[dot + 1])) {
            std::size_t end = dot + 1;
            while (end < text.size() && end < dot + 10 && IsDigit(text[end])) {
                ++end;
            }
            return TextToFloat("0" + std::string(text.substr(dot, end - dot)));
        }
    }
    return 0;
}

// The form nearly every device writes, "2013-03-01T05:17:39.849Z", read directly; nothing for
// any other form, which goes to the general parser.
std::optional<double> IsoUtcTime(std::string_view text) {
    if (text.size() < 20 || text.back() != 'Z' || text[4] != '-' || text[7] != '-' ||
        text[10] != 'T' || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    int fields[6];
    constexpr std::size_t kAt[6] = {0, 5, 8, 11, 14, 17};
    for (int i = 0; i < 6; ++i) {
        const std::size_t at = kAt[i];
        const std::size_t digits = i == 0 ? 4 : 2;
        int value = 0;
        for (std::size_t d = 0; d < digits; ++d) {
            if (!IsDigit(text[at + d])) {
                return std::nullopt;
            }
            value = value * 10 + (text[at + d] - '0');
        }
        fields[i] = value;
    }
    const std::string_view rest = text.substr(19, text.size() - 20);
    double fraction = 0;
    if (!rest.empty()) {
        if (rest[0] != '.' || rest.size() < 2) {
            return std::nullopt;
        }
        double scale = 1;
        for (char c : rest.substr(1)) {
            if (!IsDigit(c)) {
                return std::nullopt;
            }
            if (scale < 1e9) {
                scale *= 10;
                fraction += (c - '0') / scale;
            }
        }
    }
    const CalendarTime time{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
    if (time.year < 100 || !IsValidCalendarTime(time)) {
        return std::nullopt;
    }
    return ToOleDate(time) + fraction / 86400;
}

}  // namespace

double ParseTrackTime(std::string_view text) {
    if (const std::optional<double> fast = IsoUtcTime(text)) {
        return *fast;
    }
    double time = ParseDateTimeText(text);
    if (time == 0) {
        // "2025-03-24 20:07:24 +0100": some exports put a blank before the zone.
        const std::size_t sign = text.find_last_of("+-");
        if (sign != std::string_view::npos && sign > 0 && text[sign - 1] == ' ') {
            std::string joined(text);
            joined.erase(sign - 1, 1);
            time = ParseDateTimeText(joined);
        }
    }
    return time == 0 ? 0 : time + FractionOfSecond(text) / 86400;
}

}  // namespace geotal
