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
    std::string text =
        std::string("latitude") + separator + "longitude" + separator + "name" + kLineEnd;
    for (const PhotoRecord& photo : photos.records) {
        if (!IsExported(photo)) {
            continue;
        }
        text += FormatCoordinate(photo.position->latitude, CoordinateFormat::DecimalDegrees);
        text += separator;
        text += FormatCoordinate(photo.position->longitude, CoordinateFormat::DecimalDegrees);
        text += separator;
        text += CsvField(photo.fileName, separator);
        text += kLineEnd;
    }
    return text;
}

}  // namespace geotal
