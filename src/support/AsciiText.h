// Byte-text helpers: ASCII digits and letter case, and trailing folder separators.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace geotal {

// An ASCII digit, whatever the locale says (isdigit() follows it).
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether text is one or more ASCII digits.
constexpr bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

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
