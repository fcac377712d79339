#include "cli/NumberText.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace geotal::cli {

bool ParseDecimal(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

bool ParseWholeNumber(const std::string& text, int& value) {
    const std::size_t first = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
    if (first == text.size()) {
        return false;
    }
    for (std::size_t i = first; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    errno = 0;
    const long number = std::strtol(text.c_str(), nullptr, 10);
    if (errno != 0 || number < INT_MIN || number > INT_MAX) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

}  // namespace geotal::cli
