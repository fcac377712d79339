#include "geotag/ClockErrorText.h"

#include "geotag/TimeAdjustment.h"

namespace geotal {
namespace {

void SkipBlanks(std::string_view& text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
}

bool Take(std::string_view& text, std::string_view word) {
    if (text.substr(0, word.size()) != word) {
        return false;
    }
    text.remove_prefix(word.size());
    return true;
}

// Digits up to a sane length, so that the sum cannot overflow.
std::optional<long long> Number(std::string_view& text) {
    long long value = 0;
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (digits == 12) {
            return std::nullopt;
        }
        value = value * 10 + (text[digits] - '0');
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    text.remove_prefix(digits);
    return value;
}

}  // namespace

std::optional<int> ParseClockErrorText(std::string_view text) {
    SkipBlanks(text);
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (Take(text, "-") || Take(text, "\u2212")) {
        negative = true;
    } else {
        Take(text, "+");
    }
    SkipBlanks(text);
    long long seconds = 0;
    const struct {
        std::string_view unit;
        long long size;
    } units[] = {{"d", 86400}, {"h", 3600}, {"min", 60}, {"m", 60}, {"s", 1}};
    std::size_t next = 0;  // units before this one were passed
    bool any = false;
    while (!text.empty()) {
        const std::optional<long long> value = Number(text);
        if (!value) {
            return std::nullopt;
        }
        SkipBlanks(text);
        if (text.empty() && !any) {
            seconds = *value;  // a plain number of seconds
            any = true;
            break;
        }
        std::size_t u = next;
        while (u < std::size(units) && !Take(text, units[u].unit)) {
            ++u;
        }
        if (u == std::size(units)) {
            return std::nullopt;
        }
        seconds += *value * units[u].size;
        next = u + (units[u].unit == "min" ? 2 : 1);  // "min" and "m" are one unit
        any = true;
        SkipBlanks(text);
    }
    if (!any || seconds > kMaxClockErrorSeconds) {
        return std::nullopt;
    }
    return static_cast<int>(negative ? -seconds : seconds);
}

}  // namespace geotal
