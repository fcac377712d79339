#include "geotag/UtcOffsetText.h"

#include <cstdio>
#include <cstdlib>

#include "support/AsciiText.h"

namespace geotal {

std::optional<int> ParseUtcOffsetText(std::string_view text) {
    if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':' ||
        !IsDigit(text[1]) || !IsDigit(text[2]) || !IsDigit(text[4]) || !IsDigit(text[5])) {
        return std::nullopt;
    }
    const int hours = (text[1] - '0') * 10 + (text[2] - '0');
    const int minutes = (text[4] - '0') * 10 + (text[5] - '0');
    const int seconds = hours * 3600 + minutes * 60;
    // No zone on Earth lies further from UTC than 14 hours.
    if (minutes > 59 || seconds > 14 * 3600) {
        return std::nullopt;
    }
    return text[0] == '-' ? -seconds : seconds;
}

std::string UtcOffsetText(int offsetSeconds) {
    const int magnitude = std::abs(offsetSeconds);
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d:%02d", offsetSeconds < 0 ? '-' : '+', magnitude / 3600,
                  magnitude / 60 % 60);
    return text;
}

}  // namespace geotal
