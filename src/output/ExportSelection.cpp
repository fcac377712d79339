#include "output/ExportSelection.h"

#include "output/Export.h"

namespace geotal {

bool IsExported(const PhotoRecord& photo) {
    return photo.marked && photo.HasPosition();
}

int ExportedCount(const PhotoList& photos) {
    int count = 0;
    for (const PhotoRecord& photo : photos.records) {
        count += IsExported(photo) ? 1 : 0;
    }
    return count;
}

}  // namespace geotal
