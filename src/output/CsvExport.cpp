#include <string>

#include "output/Export.h"
#include "output/ExportSelection.h"
#include "output/Formatting.h"

namespace geotal {
namespace {

constexpr const char* kLineEnd = "\r\n";

// A name holding the separator, a quote or a line end is quoted as CSV readers expect, so it
// stays one column; every other name is written byte for byte.
std::string CsvField(const std::string& text, char separator) {
    if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

char CsvSeparatorOf(int separatorIndex) {
    switch (separatorIndex) {
        case 1:
            return ';';
        case 2:
            return '\t';
        default:
            return ',';
    }
}

std::string CsvText(const PhotoList& photos, int separatorIndex) {
    const char separator = CsvSeparatorOf(separatorIndex);
    // The first three columns stay as they always were, for the readers that take them by
    // place; time (UTC) and altitude follow, empty where unknown.
    std::string text = std::string("latitude") + separator + "longitude" + separator + "name" +
                       separator + "time" + separator + "altitude" + kLineEnd;
    for (const PhotoRecord& photo : photos.records) {
        if (!IsExported(photo)) {
            continue;
        }
        text += FormatCoordinate(photo.position->latitude, CoordinateFormat::DecimalDegrees);
        text += separator;
        text += FormatCoordinate(photo.position->longitude, CoordinateFormat::DecimalDegrees);
        text += separator;
        text += CsvField(photo.fileName, separator);
        text += separator;
        if (const auto utc = ExportedUtcTime(photo)) {
            text += FormatUtcMoment(*utc);
        }
        text += separator;
        if (photo.position->altitude) {
            text += FormatAltitude(*photo.position->altitude);
        }
        text += kLineEnd;
    }
    return text;
}

}  // namespace geotal
