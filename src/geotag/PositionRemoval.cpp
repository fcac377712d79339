#include "geotag/PositionRemoval.h"

namespace geotal {

int RemovePositions(PhotoList& photos, const std::vector<int>& indices) {
    int removed = 0;
    for (int i : indices) {
        if (i < 0 || i >= photos.Count()) {
            continue;
        }
        PhotoRecord& photo = photos[i];
        if (!photo.position && !photo.stored) {
            continue;
        }
        photo.position.reset();
        photo.removing = photo.stored.has_value();
        photo.marked = photo.removing;
        photo.note = photo.removing ? "Position removed; it is taken out of the file on Update"
                                    : "Position removed; it was never written to the file";
        ++removed;
    }
    return removed;
}

}  // namespace geotal
