#include "output/Formatting.h"

#include <cmath>
#include <cstdio>

#include "support/DateTime.h"

namespace geotal {

std::string FormatCoordinate(double angle, int format) {
    const bool negative = angle < 0;
    if (negative) {
        angle = -angle;
    }
    // Truncated as doubles rather than ints, so that a nonsense angle from a broken file
    // prints as a big number instead of overflowing an int.
    const double degrees = angle / 3600.0;
    const double wholeDegrees = std::trunc(degrees);
    const double minutes = (angle - wholeDegrees * 3600) / 60.0;
    const double wholeMinutes = std::trunc(minutes);
    const double seconds = angle - wholeDegrees * 3600 - wholeMinutes * 60;

    // Each field is rounded by the formatter on its own: a field may read 60, with no carry
    // into the field before it. Whole degrees and minutes are truncated.
    char text[512] = "";  // room for any double in %f
    switch (format) {
        case DecimalDegrees:
            std::snprintf(text, sizeof text, "%10.6f", degrees);
            break;
        case DegreesMinutes:
            std::snprintf(text, sizeof text, "%3.0f %7.4f", wholeDegrees, minutes);
            break;
        case DegreesMinutesSeconds:
            std::snprintf(text, sizeof text, "%3.0f %2.0f %5.2f", wholeDegrees, wholeMinutes,
                          seconds);
            break;
        default:
            break;
    }
    const char* start = text;
    while (*start == ' ') {
        ++start;
    }
    // The sign is put in front even when every digit is zero, and even for an unknown format.
    return negative ? "-" + std::string(start) : std::string(start);
}

std::string FormatPhotoTime(double time) {
    const CalendarTime t = FromOleDate(time);
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

}  // namespace geotal
