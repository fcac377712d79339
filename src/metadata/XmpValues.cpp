#include "metadata/XmpValues.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "metadata/ExifDateTime.h"
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

bool NamesRdf(std::string_view text) {
    constexpr std::string_view kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
    std::string little;
    std::string big;
    for (char c : kRdf) {
        little += {c, '\0'};
        big += {'\0', c};
    }
    return text.find(kRdf) != std::string_view::npos ||
           text.find(little) != std::string_view::npos || text.find(big) != std::string_view::npos;
}

std::optional<double> ParseXmpCoordinate(std::string_view text, std::string_view ref) {
    const auto trim = [](std::string_view& t) {
        while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) {
            t.remove_prefix(1);
        }
        while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) {
            t.remove_suffix(1);
        }
    };
    trim(text);
    trim(ref);
    if (text.empty()) {
        return std::nullopt;
    }
    // The hemisphere: a letter ending the text, else the reference's first letter.
    char direction = 0;
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
    if (last == 'N' || last == 'S' || last == 'E' || last == 'W') {
        direction = last;
        text.remove_suffix(1);
    } else if (!ref.empty()) {
        direction = static_cast<char>(std::toupper(static_cast<unsigned char>(ref.front())));
        if (direction != 'N' && direction != 'S' && direction != 'E' && direction != 'W') {
            return std::nullopt;
        }
    }
    bool negative = direction == 'S' || direction == 'W';
    if (direction == 0 && !text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::optional<double> degrees = TakeNumber(text);
    if (!degrees) {
        return std::nullopt;
    }
    double minutes = 0;
    double seconds = 0;
    if (!text.empty()) {
        // XMP's own form: whole degrees, then minutes, with a fraction or with seconds; its
        // hemisphere is part of it.
        if (text.front() != ',' || *degrees != std::floor(*degrees) || direction == 0) {
            return std::nullopt;
        }
        text.remove_prefix(1);
        const std::optional<double> taken = TakeNumber(text);
        if (!taken) {
            return std::nullopt;
        }
        minutes = *taken;
        if (!text.empty() && text.front() == ',') {
            text.remove_prefix(1);
            const std::optional<double> second = TakeNumber(text);
            if (!second) {
                return std::nullopt;
            }
            seconds = *second;
        }
        if (!text.empty() || minutes >= 60 || seconds >= 60) {
            return std::nullopt;
        }
    }
    const double value = DmsToArcSeconds(*degrees, minutes, seconds);
    return negative ? -value : value;
}

std::optional<XmpDate> ParseXmpDate(std::string_view text) {
    // XMP writes a date with dashes and a T, its seconds optional; the fields are laid out as
    // EXIF's for reading.
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    XmpDate date;
    date.dayOnly = text.size() < 16 || text[10] != 'T' || text[13] != ':';
    std::string fields(text.substr(0, 10));
    std::size_t rest = 10;
    if (!date.dayOnly) {
        const bool seconds = text.size() >= 19 && text[16] == ':';
        fields += " " + std::string(text.substr(11, 5)) + ":" +
                  (seconds ? std::string(text.substr(17, 2)) : std::string("00"));
        rest = seconds ? 19 : 16;
    }
    date.time = ParseExifDateTime(fields);
    if (date.time == 0) {
        return std::nullopt;
    }
    // The offset follows the seconds and their fraction.
    while (rest < text.size() && (text[rest] == '.' || (text[rest] >= '0' && text[rest] <= '9'))) {
        ++rest;
    }
    if (!date.dayOnly && rest < text.size() && (text[rest] == '+' || text[rest] == '-')) {
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
    const std::string* latitudeRef = Find(xmp, "Xmp.exif.GPSLatitudeRef");
    const std::string* longitudeRef = Find(xmp, "Xmp.exif.GPSLongitudeRef");
    const std::optional<double> latitude =
        ParseXmpCoordinate(*latitudeText, latitudeRef != nullptr ? *latitudeRef : "");
    const std::optional<double> longitude =
        ParseXmpCoordinate(*longitudeText, longitudeRef != nullptr ? *longitudeRef : "");
    if (!latitude || !longitude || !IsOnGlobe(*latitude, *longitude)) {
        return std::nullopt;
    }
    return PositionFromFileValues(*latitude, *longitude);
}

}  // namespace geotal
