#include "photo/XmpValues.h"

#include <charconv>

#include "photo/PhotoMetadata.h"
#include "support/Angles.h"

namespace geotal {
namespace {

// A number without sign, with an optional fraction; advances past it.
std::optional<double> TakeNumber(std::string_view& text) {
    std::size_t length = 0;
    bool digits = false;
    while (length < text.size() &&
           ((text[length] >= '0' && text[length] <= '9') || text[length] == '.')) {
        digits = digits || text[length] != '.';
        ++length;
    }
    if (!digits) {
        return std::nullopt;
    }
    // from_chars, unlike strtod, ignores the locale the window sets.
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + length, value);
    if (error != std::errc() || end != text.data() + length) {
        return std::nullopt;
    }
    text.remove_prefix(length);
    return value;
}

const std::string* Find(const XmpTexts& xmp, std::string_view key) {
    for (const auto& [name, value] : xmp) {
        if (name == key) {
            return &value;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<double> ParseXmpCoordinate(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.size() < 2) {
        return std::nullopt;
    }
    const char direction = text.back();
    text.remove_suffix(1);
    const bool negative =
        direction == 'S' || direction == 'W' || direction == 's' || direction == 'w';
    if (!negative && direction != 'N' && direction != 'E' && direction != 'n' && direction != 'e') {
        return std::nullopt;
    }
    const std::optional<double> degrees = TakeNumber(text);
    if (!degrees || text.empty() || text.front() != ',') {
        return std::nullopt;
    }
    text.remove_prefix(1);
    const std::optional<double> minutes = TakeNumber(text);
    double seconds = 0;
    if (minutes && !text.empty() && text.front() == ',') {
        text.remove_prefix(1);
        const std::optional<double> taken = TakeNumber(text);
        if (!taken) {
            return std::nullopt;
        }
        seconds = *taken;
    }
    if (!minutes || !text.empty() || *minutes >= 60 || seconds >= 60) {
        return std::nullopt;
    }
    const double value = DmsToArcSeconds(*degrees, *minutes, seconds);
    return negative ? -value : value;
}

std::optional<XmpDate> ParseXmpDate(std::string_view text) {
    // XMP writes a date with dashes and a T; the fields lie where EXIF's do.
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    std::string fields(text.substr(0, std::min<std::size_t>(text.size(), 19)));
    XmpDate date;
    date.time = ParseExifDateTime(fields);
    if (date.time == 0) {
        return std::nullopt;
    }
    // The offset follows the seconds and their fraction.
    std::size_t rest = 19;
    while (rest < text.size() && (text[rest] == '.' || (text[rest] >= '0' && text[rest] <= '9'))) {
        ++rest;
    }
    if (text.size() >= 16 && rest < text.size() && (text[rest] == '+' || text[rest] == '-')) {
        date.offset = std::string(text.substr(rest));
    }
    return date;
}

std::optional<XmpDate> XmpCaptureTime(const XmpTexts& xmp) {
    for (const char* key : {"Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated"}) {
        if (const std::string* text = Find(xmp, key)) {
            if (std::optional<XmpDate> date = ParseXmpDate(*text)) {
                return date;
            }
        }
    }
    return std::nullopt;
}

MaybePosition XmpPosition(const XmpTexts& xmp) {
    const std::string* latitudeText = Find(xmp, "Xmp.exif.GPSLatitude");
    const std::string* longitudeText = Find(xmp, "Xmp.exif.GPSLongitude");
    if (latitudeText == nullptr || longitudeText == nullptr) {
        return std::nullopt;
    }
    const std::optional<double> latitude = ParseXmpCoordinate(*latitudeText);
    const std::optional<double> longitude = ParseXmpCoordinate(*longitudeText);
    if (!latitude || !longitude || !IsOnGlobe(*latitude, *longitude)) {
        return std::nullopt;
    }
    return PositionFromFileValues(*latitude, *longitude);
}

}  // namespace geotal
