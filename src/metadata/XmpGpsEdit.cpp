#include "metadata/XmpGpsEdit.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

namespace geotal {
namespace {

constexpr std::string_view kExifNamespace = "http://ns.adobe.com/exif/1.0/";

// The EXIF namespace's GPS properties, by EXIF tag; XMP has no reference tags of its own for
// latitude and longitude (the letter ends the value), and one date-time for tags 7 and 29.
constexpr const char* kXmpGpsProperties[32] = {
    "GPSVersionID",       "GPSLatitude",        "GPSLatitude",      "GPSLongitude",
    "GPSLongitude",       "GPSAltitudeRef",     "GPSAltitude",      "GPSTimeStamp",
    "GPSSatellites",      "GPSStatus",          "GPSMeasureMode",   "GPSDOP",
    "GPSSpeedRef",        "GPSSpeed",           "GPSTrackRef",      "GPSTrack",
    "GPSImgDirectionRef", "GPSImgDirection",    "GPSMapDatum",      "GPSDestLatitude",
    "GPSDestLatitude",    "GPSDestLongitude",   "GPSDestLongitude", "GPSDestBearingRef",
    "GPSDestBearing",     "GPSDestDistanceRef", "GPSDestDistance",  "GPSProcessingMethod",
    "GPSAreaInformation", "GPSTimeStamp",       "GPSDifferential",  "GPSHPositioningError",
};

const TiffField* FieldOf(const std::vector<TiffField>& fields, std::uint16_t tag) {
    for (const TiffField& field : fields) {
        if (field.tag == tag) {
            return &field;
        }
    }
    return nullptr;
}

std::optional<double> RationalAt(const TiffField& field, std::size_t n) {
    if (field.type != TiffType::Rational || field.values.size() < 2 * n + 2 ||
        field.values[2 * n + 1] == 0) {
        return std::nullopt;
    }
    return static_cast<double>(field.values[2 * n]) / field.values[2 * n + 1];
}

// XMP's "DDD,MM.mmk": whole degrees, then minutes with as many decimals as they need.
std::string Coordinate(const TiffField* parts, const TiffField* ref) {
    if (parts == nullptr || ref == nullptr || ref->values.empty()) {
        return {};
    }
    const std::optional<double> d = RationalAt(*parts, 0);
    const std::optional<double> m = RationalAt(*parts, 1);
    const std::optional<double> s = RationalAt(*parts, 2);
    if (!d || !m || !s) {
        return {};
    }
    double degrees = *d;
    double minutes = *m + *s / 60;
    if (degrees != std::floor(degrees)) {
        const double whole = degrees + minutes / 60;
        degrees = std::floor(whole);
        minutes = (whole - degrees) * 60;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.0f,%.10f", degrees, minutes);
    std::string result = text;
    while (result.back() == '0') {
        result.pop_back();
    }
    if (result.back() == '.') {
        result += '0';
    }
    return result + static_cast<char>(ref->values.front());
}

// XMP's date-time of the fix from EXIF's date stamp ("2010:01:01") and time stamp (hours,
// minutes and seconds as fractions); empty unless both are there and sound.
std::string TimeStamp(const TiffField* date, const TiffField* time) {
    if (date == nullptr || time == nullptr || date->values.size() < 10) {
        return {};
    }
    std::string day;
    for (std::size_t i = 0; i < 10; ++i) {
        day += static_cast<char>(date->values[i]);
    }
    const std::optional<double> h = RationalAt(*time, 0);
    const std::optional<double> m = RationalAt(*time, 1);
    const std::optional<double> s = RationalAt(*time, 2);
    if (!h || !m || !s || day[4] != ':' || day[7] != ':') {
        return {};
    }
    day[4] = '-';
    day[7] = '-';
    char text[64];
    std::snprintf(text, sizeof text, "%sT%02.0f:%02.0f:%06.3f", day.c_str(), *h, *m, *s);
    std::string result = text;
    // Whole seconds as such; a fraction down to its last digit that counts.
    while (result.back() == '0') {
        result.pop_back();
    }
    if (result.back() == '.') {
        result.pop_back();
    }
    return result + "Z";
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.' ||
           c == ':';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::size_t SkipSpaces(std::string_view text, std::size_t at) {
    while (at < text.size() && IsSpace(text[at])) {
        ++at;
    }
    return at;
}

// The prefixes the packet binds to the EXIF namespace ("exif", as a rule).
std::vector<std::string> ExifPrefixes(std::string_view packet) {
    std::vector<std::string> prefixes;
    std::size_t at = 0;
    while ((at = packet.find("xmlns:", at)) != std::string_view::npos) {
        at += 6;
        std::size_t end = at;
        while (end < packet.size() && IsNameChar(packet[end]) && packet[end] != ':') {
            ++end;
        }
        const std::string prefix(packet.substr(at, end - at));
        std::size_t value = SkipSpaces(packet, end);
        if (value >= packet.size() || packet[value] != '=') {
            continue;
        }
        value = SkipSpaces(packet, value + 1);
        if (value >= packet.size() || (packet[value] != '"' && packet[value] != '\'')) {
            continue;
        }
        const char quote = packet[value];
        const std::size_t close = packet.find(quote, value + 1);
        if (close != std::string_view::npos &&
            packet.substr(value + 1, close - value - 1) == kExifNamespace && !prefix.empty()) {
            prefixes.push_back(prefix);
        }
    }
    // A prefix bound in two descriptions is searched once: its values would otherwise be
    // replaced twice, the second time at offsets the first has moved.
    std::sort(prefixes.begin(), prefixes.end());
    prefixes.erase(std::unique(prefixes.begin(), prefixes.end()), prefixes.end());
    return prefixes;
}

struct Replacement {
    std::size_t begin = 0, end = 0;
    std::string text;
};

// A property's value, and the whole of it: the attribute or element with the space before it.
struct Occurrence {
    std::size_t valueBegin = 0, valueEnd = 0;
    std::size_t begin = 0, end = 0;
};

std::size_t SpaceBefore(std::string_view text, std::size_t at) {
    while (at > 0 && IsSpace(text[at - 1])) {
        --at;
    }
    return at;
}

enum class Found { None, Some, Unreadable };

// Finds every value of the property name (prefix:Name) as an attribute or a simple element.
Found FindValues(std::string_view packet, const std::string& name,
                 std::vector<Occurrence>& occurrences) {
    Found found = Found::None;
    std::size_t at = 0;
    while ((at = packet.find(name, at)) != std::string_view::npos) {
        const std::size_t after = at + name.size();
        const char before = at == 0 ? '\0' : packet[at - 1];
        at = after;
        if ((before != '<' && !IsSpace(before)) ||
            (after < packet.size() && IsNameChar(packet[after]))) {
            continue;  // another name that ends or begins like this one
        }
        if (before == '<') {
            // A simple element: <exif:GPSLatitude>value</exif:GPSLatitude>.
            const std::size_t close = packet.find('<', after);
            if (after >= packet.size() || packet[after] != '>' || close == std::string_view::npos ||
                packet.substr(close, name.size() + 3) != "</" + name + ">") {
                return Found::Unreadable;
            }
            const std::size_t end = close + name.size() + 3;
            occurrences.push_back(
                {after + 1, close, SpaceBefore(packet, at - name.size() - 1), end});
        } else {
            std::size_t value = SkipSpaces(packet, after);
            if (value >= packet.size() || packet[value] != '=') {
                continue;  // a word in some text, not an attribute
            }
            value = SkipSpaces(packet, value + 1);
            if (value >= packet.size() || (packet[value] != '"' && packet[value] != '\'')) {
                return Found::Unreadable;
            }
            const std::size_t close = packet.find(packet[value], value + 1);
            if (close == std::string_view::npos) {
                return Found::Unreadable;
            }
            occurrences.push_back(
                {value + 1, close, SpaceBefore(packet, at - name.size()), close + 1});
        }
        found = Found::Some;
    }
    return found;
}

// Gives back the length the edit added, or takes up what it removed, in the padding before the
// packet's trailer, so that the segment around it need not change its size.
void KeepLength(std::string& packet, std::size_t length) {
    const std::size_t trailer = packet.rfind("<?xpacket end=");
    if (trailer == std::string::npos || packet.size() == length) {
        return;
    }
    if (packet.size() < length) {
        packet.insert(trailer, length - packet.size(), ' ');
        return;
    }
    std::size_t padding = trailer;
    while (padding > 0 && IsSpace(packet[padding - 1])) {
        --padding;
    }
    const std::size_t excess = packet.size() - length;
    if (trailer - padding >= excess) {
        packet.erase(trailer - excess, excess);
    }
}

}  // namespace

std::string XmpGpsPropertyOf(std::uint16_t tag) {
    return tag < std::size(kXmpGpsProperties) ? kXmpGpsProperties[tag] : "";
}

XmpGpsValues ToXmpGpsValues(const GpsChange& change) {
    const std::vector<TiffField>& fields = change.fields;
    XmpGpsValues values;
    values.latitude = Coordinate(FieldOf(fields, 2), FieldOf(fields, 1));
    values.longitude = Coordinate(FieldOf(fields, 4), FieldOf(fields, 3));
    if (const TiffField* altitude = FieldOf(fields, 6);
        altitude != nullptr && RationalAt(*altitude, 0)) {
        values.altitude =
            std::to_string(altitude->values[0]) + "/" + std::to_string(altitude->values[1]);
    }
    if (const TiffField* ref = FieldOf(fields, 5); ref != nullptr && !ref->values.empty()) {
        values.altitudeRef = std::to_string(ref->values.front());
    }
    if (const TiffField* version = FieldOf(fields, 0);
        version != nullptr && version->values.size() == 4) {
        for (std::uint32_t part : version->values) {
            values.version += (values.version.empty() ? "" : ".") + std::to_string(part);
        }
    }
    values.timeStamp = TimeStamp(FieldOf(fields, 29), FieldOf(fields, 7));
    for (std::uint16_t tag : change.removed) {
        const std::string property = XmpGpsPropertyOf(tag);
        if (!property.empty() && std::find(values.removed.begin(), values.removed.end(),
                                           property) == values.removed.end()) {
            values.removed.push_back(property);
        }
    }
    if (IsRemoval(change)) {
        // What some writers add beside the position, which XMP has no place for: with the
        // position gone they would still say where and when.
        values.removed.insert(values.removed.end(),
                              {"GPSLatitudeRef", "GPSLongitudeRef", "GPSDateStamp"});
    }
    return values;
}

XmpExifEdit GpsPropertyEdit(const XmpGpsValues& values) {
    XmpExifEdit edit;
    for (const auto& [name, text] :
         {std::pair<const char*, const std::string*>{"GPSVersionID", &values.version},
          {"GPSLatitude", &values.latitude},
          {"GPSLongitude", &values.longitude},
          {"GPSAltitudeRef", &values.altitudeRef},
          {"GPSAltitude", &values.altitude},
          {"GPSTimeStamp", &values.timeStamp}}) {
        if (!text->empty()) {
            edit.set.emplace_back(name, *text);
        }
    }
    edit.removed = values.removed;
    if (!values.latitude.empty() || !values.longitude.empty()) {
        edit.removed.insert(edit.removed.end(), {"GPSLatitudeRef", "GPSLongitudeRef"});
    }
    if (!values.timeStamp.empty() || std::find(values.removed.begin(), values.removed.end(),
                                               "GPSTimeStamp") != values.removed.end()) {
        edit.removed.push_back("GPSDateStamp");
    }
    return edit;
}

XmpEditResult EditXmpGps(std::string_view packet, const XmpGpsValues& values, std::string& edited) {
    std::vector<std::pair<std::string, const std::string*>> properties = {
        {"GPSLatitude", &values.latitude}, {"GPSLongitude", &values.longitude},
        {"GPSAltitude", &values.altitude}, {"GPSAltitudeRef", &values.altitudeRef},
        {"GPSVersionID", &values.version}, {"GPSTimeStamp", &values.timeStamp},
    };
    const std::string none;
    for (const std::string& removed : values.removed) {
        properties.emplace_back(removed, &none);
    }
    std::vector<Replacement> replacements;
    bool holdsPosition = false;
    for (const std::string& prefix : ExifPrefixes(packet)) {
        for (const auto& [property, text] : properties) {
            const bool coordinate = property == "GPSLatitude" || property == "GPSLongitude";
            const bool remove = text == &none;
            std::vector<Occurrence> found;
            switch (FindValues(packet, prefix + ":" + property, found)) {
                case Found::Unreadable:
                    return XmpEditResult::UnknownForm;
                case Found::Some:
                    holdsPosition = holdsPosition || coordinate;
                    for (const Occurrence& occurrence : found) {
                        if (remove) {
                            replacements.push_back({occurrence.begin, occurrence.end, {}});
                        } else if (!text->empty()) {
                            replacements.push_back(
                                {occurrence.valueBegin, occurrence.valueEnd, *text});
                        }
                    }
                    break;
                case Found::None:
                    break;
            }
        }
    }
    if (!holdsPosition) {
        return XmpEditResult::NoPosition;
    }
    std::sort(replacements.begin(), replacements.end(),
              [](const Replacement& a, const Replacement& b) { return a.begin > b.begin; });
    std::string result(packet);
    for (const Replacement& replacement : replacements) {
        result.replace(replacement.begin, replacement.end - replacement.begin, replacement.text);
    }
    KeepLength(result, packet.size());
    edited = std::move(result);
    return XmpEditResult::Edited;
}

}  // namespace geotal
