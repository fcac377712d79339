// What the questions before a load or an exit say is not written yet.
#pragma once

#include <string>

#include "photo/PhotoList.h"

namespace geotal {

// "3 positions are not written yet", with the removals not made yet named apart: "2 positions
// are not written yet, and 1 removed position is still in its file". Empty when nothing is
// unwritten.
std::string UnwrittenText(const PhotoList& photos);

}  // namespace geotal
