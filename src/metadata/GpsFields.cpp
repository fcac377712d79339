#include "metadata/GpsFields.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <numeric>

#include "support/Angles.h"

namespace geotal {
namespace {

constexpr std::uint64_t kMicro = 1000000;

TiffField Rationals(std::uint16_t tag, const std::vector<std::uint64_t>& micros) {
    TiffField field{tag, TiffType::Rational, {}};
    for (std::uint64_t value : micros) {
        const std::uint64_t divisor = std::gcd(value, kMicro);
        field.values.push_back(static_cast<std::uint32_t>(value / divisor));
        field.values.push_back(static_cast<std::uint32_t>(kMicro / divisor));
    }
    return field;
}

// Degrees, minutes and millionths of seconds of one coordinate, from whole millionths of a
// second of arc so that no part rounds up into the next.
TiffField Coordinate(std::uint16_t tag, double secondsOfArc) {
    const auto micros = static_cast<std::uint64_t>(std::llround(std::fabs(secondsOfArc) * kMicro));
    const std::uint64_t perMinute = 60 * kMicro;
    const std::uint64_t perDegree = 60 * perMinute;
    return Rationals(tag, {micros / perDegree * kMicro, micros % perDegree / perMinute * kMicro,
                           micros % perMinute});
}

TiffField Ascii(std::uint16_t tag, const std::string& text) {
    TiffField field{tag, TiffType::Ascii, {}};
    for (char c : text) {
        field.values.push_back(static_cast<unsigned char>(c));
    }
    field.values.push_back(0);  // EXIF counts the NUL, as cameras write it
    return field;
}

}  // namespace

DmsParts SplitDms(double value) {
    DmsParts parts;
    parts.degrees = std::floor(ArcSecondsToDegrees(value));
    // The quotient can round up to the next whole number just below it; step back then.
    if (DegreesToArcSeconds(parts.degrees) > value) {
        parts.degrees -= 1;
    }
    const double rest = value - DegreesToArcSeconds(parts.degrees);
    parts.minutes = std::floor(rest / kArcSecondsPerMinute);
    if (parts.minutes * kArcSecondsPerMinute > rest) {
        parts.minutes -= 1;
    }
    parts.seconds = rest - parts.minutes * kArcSecondsPerMinute;
    return parts;
}

bool ToUnsignedRational(double value, std::uint32_t& numerator, std::uint32_t& denominator) {
    if (!std::isfinite(value) || value < 0 || value > 4294967295.0) {
        return false;
    }
    std::uint64_t below = kMicro;
    while (below > 1 && value * static_cast<double>(below) > 4294967295.0) {
        below /= 10;
    }
    std::uint64_t above =
        static_cast<std::uint64_t>(std::llround(value * static_cast<double>(below)));
    if (above > 4294967295u) {
        return false;
    }
    const std::uint64_t divisor = std::gcd(above, below);
    numerator = static_cast<std::uint32_t>(above / divisor);
    denominator = static_cast<std::uint32_t>(below / divisor);
    return true;
}

std::optional<CalendarTime> FixStamp(std::optional<double> fixTime) {
    if (!fixTime || *fixTime == 0 || !std::isfinite(*fixTime)) {
        return std::nullopt;
    }
    const CalendarTime time = FromOleDate(*fixTime);
    if (time.year < 1 || time.year > 9999 || !IsValidCalendarTime(time)) {
        return std::nullopt;
    }
    return time;
}

GpsChange GpsChangeFor(const GeoPosition& position) {
    GpsChange change;
    change.fields.push_back(GpsVersionField());
    change.fields.push_back(Ascii(1, position.latitude < 0 ? "S" : "N"));
    change.fields.push_back(Coordinate(2, position.latitude));
    change.fields.push_back(Ascii(3, position.longitude < 0 ? "W" : "E"));
    change.fields.push_back(Coordinate(4, position.longitude));
    std::uint32_t numerator = 0;
    std::uint32_t denominator = 1;
    if (position.altitude &&
        ToUnsignedRational(std::fabs(*position.altitude), numerator, denominator)) {
        change.fields.push_back({5, TiffType::Byte, {*position.altitude < 0 ? 1u : 0u}});
        change.fields.push_back({6, TiffType::Rational, {numerator, denominator}});
    } else {
        change.removed.insert(change.removed.end(), {5, 6});
    }
    if (const std::optional<CalendarTime> fix = FixStamp(position.fixTime)) {
        change.fields.push_back(Rationals(7, {static_cast<std::uint64_t>(fix->hour) * kMicro,
                                              static_cast<std::uint64_t>(fix->minute) * kMicro,
                                              static_cast<std::uint64_t>(fix->second) * kMicro}));
        char date[16];
        std::snprintf(date, sizeof date, "%04d:%02d:%02d", fix->year, fix->month, fix->day);
        change.fields.push_back(Ascii(29, date));
    } else {
        change.removed.insert(change.removed.end(), {7, 29});
    }
    change.removed.insert(change.removed.end(), std::begin(kOldFixTags), std::end(kOldFixTags));
    return change;
}

GpsChange GpsRemoval() {
    GpsChange change;
    change.removed = {0, 1, 2, 3, 4, 5, 6, 7, 29};
    change.removed.insert(change.removed.end(), std::begin(kOldFixTags), std::end(kOldFixTags));
    return change;
}

GpsChange GpsChangeFor(const MaybePosition& position) {
    return position ? GpsChangeFor(*position) : GpsRemoval();
}

}  // namespace geotal
