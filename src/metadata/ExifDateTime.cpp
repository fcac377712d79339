#include "metadata/ExifDateTime.h"

#include <cctype>

#include "support/DateTime.h"

namespace geotal {
namespace {

// The field as atoi reads it: blanks, a sign, then digits up to the first non-digit.
int FieldAt(const std::string& text, std::size_t start, std::size_t length) {
    if (start >= text.size()) {
        return 0;
    }
    const std::string field = text.substr(start, length);
    std::size_t i = 0;
    while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    long value = 0;
    while (i < field.size() && std::isdigit(static_cast<unsigned char>(field[i]))) {
        value = value * 10 + (field[i] - '0');
        ++i;
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

double ParseExifDateTime(const std::string& text) {
    const CalendarTime time{FieldAt(text, 0, 4),  FieldAt(text, 5, 2),  FieldAt(text, 8, 2),
                            FieldAt(text, 11, 2), FieldAt(text, 14, 2), FieldAt(text, 17, 2)};
    return IsValidCalendarTime(time) ? ToOleDate(time) : 0.0;
}

}  // namespace geotal
