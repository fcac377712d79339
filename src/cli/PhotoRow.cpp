#include "cli/PhotoRow.h"

namespace geotal::cli {

std::string PhotoRowText(const PhotoRecord& photo, CoordinateFormat format) {
    const bool hasPosition = photo.HasPosition();
    std::string row = photo.fileName;
    row += '\t';
    row += FormatPhotoTime(photo.captureTime);
    row += '\t';
    row += hasPosition ? FormatCoordinate(photo.latitude, format) : "";
    row += '\t';
    row += hasPosition ? FormatCoordinate(photo.longitude, format) : "";
    row += '\t';
    row += photo.marked ? '1' : '0';
    return row;
}

}  // namespace geotal::cli
