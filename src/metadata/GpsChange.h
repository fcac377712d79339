// What a position write does to a photo's GPS directory: the tags it sets and those it takes out.
#pragma once

#include <cstdint>
#include <vector>

#include "metadata/TiffField.h"

namespace geotal {

struct GpsChange {
    std::vector<TiffField> fields;       // tags set, each once
    std::vector<std::uint16_t> removed;  // tags taken out, where the photo has them
};

// The GPS version a directory says it follows, 2.2.0.0: a position's write sets it, and a
// removal that leaves the directory other tags (the image direction) keeps one there, as EXIF
// requires of every GPS directory.
inline TiffField GpsVersionField() {
    return {0, TiffType::Byte, {2, 2, 0, 0}};
}

// Whether the change takes a position out (GpsRemoval) rather than writing one.
inline bool IsRemoval(const GpsChange& change) {
    return change.fields.empty() && !change.removed.empty();
}

}  // namespace geotal
