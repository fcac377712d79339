#include "output/Formatting.h"

#include <cmath>
#include <cstdio>

#include "support/Angles.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

// A day count's calendar fields, rounded to the second, in a form of six numbers: year, month,
// day, hours, minutes, seconds.
std::string CalendarText(double oleDate, const char* form) {
    const CalendarTime t = FromOleDate(oleDate);
    char text[64];
    std::snprintf(text, sizeof text, form, t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

}  // namespace

CoordinateFormat CoordinateFormatFromNumber(int number) {
    switch (number) {
        case static_cast<int>(CoordinateFormat::DegreesMinutes):
            return CoordinateFormat::DegreesMinutes;
        case static_cast<int>(CoordinateFormat::DegreesMinutesSeconds):
            return CoordinateFormat::DegreesMinutesSeconds;
        default:
            return CoordinateFormat::DecimalDegrees;
    }
}

std::string FormatCoordinate(double angle, CoordinateFormat format) {
    const bool negative = angle < 0;
    if (negative) {
        angle = -angle;
    }
    // Truncated as doubles rather than ints, so that a nonsense angle from a broken file
    // prints as a big number instead of overflowing an int.
    const double degrees = ArcSecondsToDegrees(angle);
    const double wholeDegrees = std::trunc(degrees);
    const double minutes = (angle - DegreesToArcSeconds(wholeDegrees)) / kArcSecondsPerMinute;
    const double wholeMinutes = std::trunc(minutes);
    const double seconds =
        angle - DegreesToArcSeconds(wholeDegrees) - wholeMinutes * kArcSecondsPerMinute;

    // Each field is rounded by the formatter on its own: a field may read 60, with no carry
    // into the field before it. Whole degrees and minutes are truncated.
    char text[512] = "";  // room for any double in %f
    switch (format) {
        case CoordinateFormat::DecimalDegrees:
            std::snprintf(text, sizeof text, "%10.6f", degrees);
            break;
        case CoordinateFormat::DegreesMinutes:
            std::snprintf(text, sizeof text, "%3.0f %7.4f", wholeDegrees, minutes);
            break;
        case CoordinateFormat::DegreesMinutesSeconds:
            std::snprintf(text, sizeof text, "%3.0f %2.0f %5.2f", wholeDegrees, wholeMinutes,
                          seconds);
            break;
    }
    const char* start = text;
    while (*start == ' ') {
        ++start;
    }
    // The sign is put in front even when every digit is zero.
    return negative ? "-" + std::string(start) : std::string(start);
}

std::string FormatPhotoTime(double time) {
    return time == 0 ? std::string() : CalendarText(time, "%04d/%02d/%02d %02d:%02d:%02d");
}

std::string FormatPhotoTime(const std::optional<double>& time) {
    return time ? FormatPhotoTime(*time) : std::string();
}

std::string FormatUtcMoment(double utc) {
    return CalendarText(utc, "%04d-%02d-%02dT%02d:%02d:%02dZ");
}

std::string FormatAltitude(double metres) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", metres);
    std::string shown = text;
    shown.erase(shown.find_last_not_of('0') + 1);
    if (shown.back() == '.') {
        shown.pop_back();
    }
    return shown == "-0" ? "0" : shown;
}

}  // namespace geotal
