// White-space trimming shared by the track readers.
#pragma once

#include <string_view>

namespace geotal {

// Space, tab, line feed, carriage return, vertical tab and form feed.
constexpr bool IsTrimmedSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The text without white space at either end.
constexpr std::string_view TrimmedText(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsTrimmedSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsTrimmedSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

}  // namespace geotal
