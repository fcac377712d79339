// Numbers typed on the command line, read the same way by every command.
#pragma once

#include <string>

namespace geotal::cli {

// A finite decimal number filling the whole text ("47.5", "-8.25", "1e3"); false for anything
// else, including "nan", "inf" and values too large for a double.
bool ParseDecimal(const std::string& text, double& value);

// A whole number in base 10 with an optional sign, filling the whole text: "010" is ten, not
// eight as a C-style reading would make it. False when it does not fit an int.
bool ParseWholeNumber(const std::string& text, int& value);

}  // namespace geotal::cli
