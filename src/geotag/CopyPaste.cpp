#include "geotag/CopyPaste.h"

namespace geotal {

MaybePosition CopiedFrom(const PhotoRecord& photo) {
    return photo.position;
}

void PastePosition(PhotoList& photos, const std::vector<int>& indices, const GeoPosition& copied) {
    for (int i : indices) {
        PhotoRecord& photo = photos[i];
        photo.position = PastedPosition(copied);
        photo.marked = true;
        photo.removing = false;
        photo.note = "Position pasted from another photo";
    }
}

}  // namespace geotal
