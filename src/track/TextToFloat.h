// The number at the start of a text, read the way the C library's atof reads it.
#pragma once

#include <string_view>

namespace geotal {

// Leading white space is skipped, reading stops at the first character that cannot continue
// the number, and a text without a number gives 0. Unlike atof the decimal point is always
// ".", whatever locale the process runs in (the GUI toolkit switches to the user's locale).
double TextToFloat(std::string_view text);

}  // namespace geotal
