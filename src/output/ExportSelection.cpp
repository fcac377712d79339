#include "output/ExportSelection.h"

#include "output/Export.h"

namespace geotal {

bool IsExported(const PhotoRecord& photo) {
    return photo.marked && photo.HasPosition();
}

std::optional<double> ExportedUtcTime(const PhotoRecord& photo) {
    if (photo.time.source != TimeSource::None && photo.time.utc != 0) {
        return photo.time.utc;
    }
    if (photo.position && photo.position->fixTime && *photo.position->fixTime != 0) {
        return photo.position->fixTime;
    }
    return std::nullopt;
}

int ExportedCount(const PhotoList& photos) {
    int count = 0;
    for (const PhotoRecord& photo : photos.records) {
        count += IsExported(photo) ? 1 : 0;
    }
    return count;
}

}  // namespace geotal
