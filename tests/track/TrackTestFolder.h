// Helpers for track tests: a temporary folder and Windows line ends.
#pragma once

#include <string>

#include "support/TempFolder.h"

namespace geotal::testing {

using TrackTestFolder = test::TempFolder;

// The text with every LF turned into CR LF.
inline std::string WithWindowsLineEnds(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') {
            result += '\r';
        }
        result += c;
    }
    return result;
}

}  // namespace geotal::testing
