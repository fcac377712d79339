// One photo as a line of the photo list: the columns the window shows, and the check mark.
#pragma once

#include <string>

#include "output/Formatting.h"
#include "photo/PhotoList.h"

namespace geotal::cli {

// "name<TAB>date/time<TAB>latitude<TAB>longitude<TAB>mark" without a line end; the mark is 1
// or 0, the coordinates are empty for a photo without a position, the time for one without.
std::string PhotoRowText(const PhotoRecord& photo, CoordinateFormat format);

}  // namespace geotal::cli
