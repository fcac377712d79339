#include "session/UnwrittenText.h"

namespace geotal {

std::string UnwrittenText(const PhotoList& photos) {
    int positions = 0;
    int removals = 0;
    for (const PhotoRecord& photo : photos.records) {
        if (photo.IsRemoval()) {
            ++removals;
        } else if (photo.IsUnwritten()) {
            ++positions;
        }
    }
    std::string text;
    if (positions > 0) {
        text = std::to_string(positions) + " positions are not written yet";
    }
    if (removals > 0) {
        text += (text.empty() ? "" : ", and ") + std::to_string(removals) +
                (removals == 1 ? " removed position is still in its file"
                               : " removed positions are still in their files");
    }
    return text;
}

}  // namespace geotal
