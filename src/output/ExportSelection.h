// Which photos an export writes; shared by the CSV and the KML writer.
#pragma once

#include <vector>

#include "output/Export.h"

namespace geotal {

// A photo past the end of exported is not exported, so a short list never reads out of range.
bool IsExported(const std::vector<bool>& exported, int index);

}  // namespace geotal
