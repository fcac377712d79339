// The rows of a photo list whose check box is set, in list order, to compare in one line.
#pragma once

#include <vector>

#include "photo/PhotoList.h"

namespace geotal::test {

inline std::vector<int> MarkedRows(const PhotoList& photos) {
    std::vector<int> marked;
    for (int i = 0; i < photos.Count(); ++i) {
        if (photos[i].marked) {
            marked.push_back(i);
        }
    }
    return marked;
}

}  // namespace geotal::test
