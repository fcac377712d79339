// Byte-text helpers for file names: ASCII letter case and trailing folder separators.
#pragma once

#include <string>
#include <string_view>

namespace geotal {

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether text ends in ending, ASCII letters compared without regard to case (as Windows
// compares file name endings).
bool EndsWithNoCase(std::string_view text, std::string_view ending);

// Whether both texts are equal, ASCII letters compared without regard to case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// The folder text without the "/" characters at its end ("/" itself stays "/").
std::string WithoutTrailingSlashes(std::string folder);

}  // namespace geotal
