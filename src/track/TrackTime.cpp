#include "track/TrackTime.h"

#include <string>

#include "support/DateTimeText.h"
#include "track/TextToFloat.h"

namespace geotal {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

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

}  // namespace

double ParseTrackTime(std::string_view text) {
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
