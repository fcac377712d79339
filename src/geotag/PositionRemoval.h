// Remove Position: taking photos' positions away, to be taken out of their files on Update.
#pragma once

#include <vector>

#include "photo/PhotoList.h"

namespace geotal {

// Gives each photo at indices no position. One whose file holds a position becomes a removal
// (IsRemoval), checked for Update and saying so on hover; one whose position was never written
// just loses it, unchecked, as its file holds nothing to take out. A photo with neither is left
// as it is. Answers how many photos lost a position or got a removal.
int RemovePositions(PhotoList& photos, const std::vector<int>& indices);

}  // namespace geotal
