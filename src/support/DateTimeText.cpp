#include "support/DateTimeText.h"

#include <array>
#include <cctype>
#include <optional>

#include "support/AsciiText.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A cursor over the text with the few readers the grammar needs.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek(size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    bool Accept(char c) {
        if (Peek() == c && !AtEnd()) {
            ++pos_;
            return true;
        }
        return false;
    }
    // Skips white space; tells whether there was any.
    bool SkipBlanks() {
        const size_t start = pos_;
        while (!AtEnd() && IsBlank(text_[pos_])) {
            ++pos_;
        }
        return pos_ > start;
    }
    // A run of digits of minDigits to maxDigits; nothing is consumed when it does not fit.
    std::optional<int> Number(size_t minDigits, size_t maxDigits) {
        size_t end = pos_;
        while (end < text_.size() && IsDigit(text_[end])) {
            ++end;
        }
        const size_t digits = end - pos_;
        if (digits < minDigits || digits > maxDigits) {
            return std::nullopt;
        }
        int value = 0;
        for (; pos_ < end; ++pos_) {
            value = value * 10 + (text_[pos_] - '0');
        }
        return value;
    }
    // Exactly count digits, whatever follows them.
    std::optional<int> Digits(size_t count) {
        int value = 0;
        for (size_t i = 0; i < count; ++i) {
            if (!IsDigit(Peek(i))) {
                return std::nullopt;
            }
            value = value * 10 + (Peek(i) - '0');
        }
        pos_ += count;
        return value;
    }
    size_t DigitRunLength() const {
        size_t end = pos_;
        while (end < text_.size() && IsDigit(text_[end])) {
            ++end;
        }
        return end - pos_;
    }
    bool SkipDigits() {
        const size_t start = pos_;
        while (!AtEnd() && IsDigit(text_[pos_])) {
            ++pos_;
        }
        return pos_ > start;
    }
    std::string_view Word() {
        const size_t start = pos_;
        while (!AtEnd() && IsLetter(text_[pos_])) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// January to December, written out or as their first three letters.
std::optional<int> MonthFromName(std::string_view word) {
    static const std::array<std::string_view, 12> kNames = {
        "january", "february", "march",     "april",   "may",      "june",
        "july",    "august",   "september", "october", "november", "december"};
    for (int i = 0; i < 12; ++i) {
        if (EqualsIgnoringCase(word, kNames[i]) ||
            (word.size() == 3 && EqualsIgnoringCase(word, kNames[i].substr(0, 3)))) {
            return i + 1;
        }
    }
    return std::nullopt;
}

// May 1, 2010
bool ReadMonthNameFirst(Reader& in, CalendarTime& t) {
    const auto month = MonthFromName(in.Word());
    if (!month || !in.SkipBlanks()) {
        return false;
    }
    const auto day = in.Number(1, 2);
    if (!day) {
        return false;
    }
    in.Accept(',');
    in.SkipBlanks();
    const auto year = in.Number(4, 4);
    if (!year) {
        return false;
    }
    t.year = *year;
    t.month = *month;
    t.day = *day;
    return true;
}

// 2010-05-01, 2010/05/01, 2010.05.01
bool ReadYearFirst(Reader& in, CalendarTime& t) {
    t.year = *in.Number(4, 4);
    const char separator = in.Peek();
    if (separator != '-' && separator != '/' && separator != '.') {
        return false;
    }
    in.Accept(separator);
    const auto month = in.Number(1, 2);
    if (!month || !in.Accept(separator)) {
        return false;
    }
    const auto day = in.Number(1, 2);
    if (!day) {
        return false;
    }
    t.month = *month;
    t.day = *day;
    return true;
}

// 01.05.2010 (dotted dates are written day first), 1 May 2010, 01-May-2010
bool ReadDayFirst(Reader& in, CalendarTime& t) {
    const auto day = in.Number(1, 2);
    if (!day) {
        return false;
    }
    t.day = *day;
    if (in.Accept('.')) {
        const auto month = in.Number(1, 2);
        if (!month || !in.Accept('.')) {
            return false;
        }
        t.month = *month;
    } else {
        const bool dash = in.Accept('-');
        if (!dash && !in.SkipBlanks()) {
            return false;
        }
        const auto month = MonthFromName(in.Word());
        if (!month || (dash ? !in.Accept('-') : !in.SkipBlanks())) {
            return false;
        }
        t.month = *month;
    }
    const auto year = in.Number(4, 4);
    if (!year) {
        return false;
    }
    t.year = *year;
    return true;
}

bool ReadDate(Reader& in, CalendarTime& t) {
    if (IsLetter(in.Peek())) {
        return ReadMonthNameFirst(in, t);
    }
    if (in.DigitRunLength() == 4) {
        return ReadYearFirst(in, t);
    }
    return ReadDayFirst(in, t);
}

// "+02:00", "-0330", "+05": minutes east of UTC.
bool ReadZoneOffset(Reader& in, int& zoneMinutes) {
    const int sign = in.Peek() == '-' ? -1 : 1;
    in.Accept(in.Peek());
    const auto zoneHours = in.Digits(2);
    if (!zoneHours) {
        return false;
    }
    int zoneMinutePart = 0;
    if (in.Accept(':') || in.DigitRunLength() > 0) {
        const auto m = in.Number(2, 2);
        if (!m || *m > 59) {
            return false;
        }
        zoneMinutePart = *m;
    }
    if (*zoneHours > 23) {
        return false;
    }
    zoneMinutes = sign * (*zoneHours * 60 + zoneMinutePart);
    return true;
}

// A 12-hour clock's AM or PM after the time.
bool ReadAmPm(Reader& in, CalendarTime& t) {
    const std::string_view word = in.Word();
    const bool am = EqualsIgnoringCase(word, "AM");
    const bool pm = EqualsIgnoringCase(word, "PM");
    if ((!am && !pm) || t.hour < 1 || t.hour > 12) {
        return false;
    }
    t.hour = t.hour % 12 + (pm ? 12 : 0);
    return true;
}

// The time of day, with its optional fraction, AM/PM and zone; zoneMinutes east of UTC.
bool ReadTime(Reader& in, CalendarTime& t, int& zoneMinutes) {
    const auto hour = in.Number(1, 2);
    if (!hour || !in.Accept(':')) {
        return false;
    }
    const auto minute = in.Number(2, 2);
    if (!minute) {
        return false;
    }
    t.hour = *hour;
    t.minute = *minute;
    if (in.Accept(':')) {
        const auto second = in.Number(2, 2);
        if (!second) {
            return false;
        }
        t.second = *second;
        if (in.Accept('.')) {
            // The fraction is dropped, not rounded: times are kept to the whole second.
            if (!in.SkipDigits()) {
                return false;
            }
        }
    }
    if (in.Accept('Z')) {
        return true;
    }
    if (in.Peek() == '+' || in.Peek() == '-') {
        return ReadZoneOffset(in, zoneMinutes);
    }
    in.SkipBlanks();
    return !IsLetter(in.Peek()) || ReadAmPm(in, t);
}

// Moves a calendar time by a number of seconds; the day count of dates before 1899-12-30
// runs backwards, so the shift is done on whole days and seconds of the day.
double ShiftedOleDate(const CalendarTime& t, int seconds) {
    CalendarTime midnight = t;
    midnight.hour = midnight.minute = midnight.second = 0;
    long long days = static_cast<long long>(ToOleDate(midnight));
    long long secondOfDay = t.hour * 3600LL + t.minute * 60LL + t.second + seconds;
    while (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --days;
    }
    while (secondOfDay >= kSecondsPerDay) {
        secondOfDay -= kSecondsPerDay;
        ++days;
    }
    CalendarTime shifted = FromOleDate(static_cast<double>(days));
    shifted.hour = static_cast<int>(secondOfDay / 3600);
    shifted.minute = static_cast<int>(secondOfDay / 60 % 60);
    shifted.second = static_cast<int>(secondOfDay % 60);
    return ToOleDate(shifted);
}

}  // namespace

double ParseDateTimeText(std::string_view text) {
    Reader in(text);
    in.SkipBlanks();
    CalendarTime t;
    t.hour = t.minute = t.second = 0;
    if (!ReadDate(in, t)) {
        return 0;
    }
    int zoneMinutes = 0;
    const bool blanks = in.SkipBlanks();
    if (!in.AtEnd()) {
        if (!blanks && !in.Accept('T')) {
            return 0;
        }
        if (!ReadTime(in, t, zoneMinutes)) {
            return 0;
        }
        in.SkipBlanks();
        if (!in.AtEnd()) {
            return 0;
        }
    }
    if (t.year < 100 || !IsValidCalendarTime(t)) {
        return 0;
    }
    if (zoneMinutes == 0) {
        return ToOleDate(t);
    }
    // The zone can carry the last hours of 9999 or the first of year 100 out of the years
    // every reader of a day count can show.
    const double utc = ShiftedOleDate(t, -zoneMinutes * 60);
    const int year = FromOleDate(utc).year;
    return year >= 100 && year <= 9999 ? utc : 0;
}

}  // namespace geotal
