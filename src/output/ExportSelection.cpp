#include "output/ExportSelection.h"

namespace geotal {

bool IsExported(const std::vector<bool>& exported, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < exported.size() &&
           exported[static_cast<std::size_t>(index)];
}

int ExportedCount(const PhotoList& photos, const std::vector<bool>& exported) {
    int count = 0;
    for (int i = 0; i < photos.Count(); ++i) {
        count += IsExported(exported, i) ? 1 : 0;
    }
    return count;
}

}  // namespace geotal
