// Which photos an export writes; shared by the CSV and the KML writer.
#pragma once

#include <optional>

#include "photo/PhotoList.h"

namespace geotal {

// A marked photo with a position: one without would be a pin at 0/0, in the Gulf of Guinea.
bool IsExported(const PhotoRecord& photo);

// The UTC moment an exported photo was taken: the one its last calculation used, else the fix
// time its position carries (read from the file, or from the track); none when neither is known.
std::optional<double> ExportedUtcTime(const PhotoRecord& photo);

}  // namespace geotal
