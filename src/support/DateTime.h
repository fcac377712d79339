// Date-times as OLE Automation day counts: days since 1899-12-30 00:00, the fraction being
// the time of day; 0 means "no time".
#pragma once

namespace geotal {

inline constexpr int kSecondsPerDay = 86400;

// 1970-01-01 00:00, where time_t counts from, as a day count.
constexpr double kUnixEpochOleDate = 25569.0;

struct CalendarTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const CalendarTime&) const = default;
};

// Whether the fields name a real moment (years 0 to 9999, Gregorian leap years).
bool IsValidCalendarTime(const CalendarTime& time);
int DaysInMonth(int year, int month);

// The day count of a calendar time; the fields are not checked.
double ToOleDate(const CalendarTime& time);

// The calendar time of a day count, rounded to the nearest second.
CalendarTime FromOleDate(double oleDate);

}  // namespace geotal
