// Giving photos the position of another photo: what a copy takes and what a paste gives.
#pragma once

#include <vector>

#include "photo/PhotoList.h"

namespace geotal {

// The position a copy takes from the photo: its place and altitude; none when it has none to
// give.
MaybePosition CopiedFrom(const PhotoRecord& photo);

// Gives each photo of indices the copied place and altitude (not the source's fix time), marks
// it for writing and says so in its note.
void PastePosition(PhotoList& photos, const std::vector<int>& indices, const GeoPosition& copied);

}  // namespace geotal
