// Which photos an export writes; shared by the CSV and the KML writer.
#pragma once

#include "photo/PhotoList.h"

namespace geotal {

// A marked photo with a position: one without would be a pin at 0/0, in the Gulf of Guinea.
bool IsExported(const PhotoRecord& photo);

}  // namespace geotal
