#include "track/TextToFloat.h"

#include <locale.h>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <string>

#include "track/TrimmedText.h"

namespace geotal {
namespace {

// The C library's own reading in the "C" locale, for the texts from_chars leaves out
// (numbers too large or too small for a double).
double ReadWithCLocale(std::string_view text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    const std::string copy(text);
    return strtod_l(copy.c_str(), nullptr, cLocale);
}

}  // namespace

double TextToFloat(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsTrimmedSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        return 0;  // from_chars would take a second sign
    }
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto format = std::chars_format::general;
    if (last - first >= 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        format = std::chars_format::hex;
        first += 2;
    }
    double value = 0;
    const auto result = std::from_chars(first, last, value, format);
    if (result.ec == std::errc::result_out_of_range) {
        return ReadWithCLocale(text);
    }
    if (result.ec != std::errc()) {
        return 0;
    }
    return negative ? -value : value;
}

}  // namespace geotal
