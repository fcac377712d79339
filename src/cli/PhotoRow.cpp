#include "cli/PhotoRow.h"

namespace geotal::cli {

std::string EscapedName(const std::string& name) {
    std::string escaped;
    for (const char c : name) {
        switch (c) {
            case '\t':
                escaped += "\\t";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\\':
                escaped += "\\\\";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string PhotoRowText(const PhotoRecord& photo, CoordinateFormat format) {
    const MaybePosition& position = photo.position;
    std::string row = EscapedName(photo.fileName);
    row += '\t';
    row += FormatPhotoTime(photo.captureTime);
    row += '\t';
    row += position ? FormatCoordinate(position->latitude, format) : "";
    row += '\t';
    row += position ? FormatCoordinate(position->longitude, format) : "";
    row += '\t';
    row += photo.marked ? '1' : '0';
    return row;
}

}  // namespace geotal::cli
