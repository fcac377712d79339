// The program's version, taken from the build (the project's version in CMakeLists.txt).
#pragma once

namespace geotal {

inline constexpr const char* kVersionText = GEOTAL_VERSION;

}  // namespace geotal
