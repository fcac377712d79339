#include "support/DateTime.h"

#include <gtest/gtest.h>

namespace geotal {
namespace {

TEST(DateTime, convertsKnownDayCounts) {
    EXPECT_DOUBLE_EQ(ToOleDate({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(ToOleDate({2010, 1, 1, 12, 0, 0}), 40179.5);
    EXPECT_DOUBLE_EQ(ToOleDate({1899, 12, 29, 6, 0, 0}), -1.25);
    EXPECT_EQ(FromOleDate(40008.54524305555), (CalendarTime{2009, 7, 14, 13, 5, 9}));
    EXPECT_EQ(FromOleDate(-1.25), (CalendarTime{1899, 12, 29, 6, 0, 0}));
}

TEST(DateTime, roundsToTheSecondAndCarriesIntoTheNextDay) {
    const double almostMidnight = ToOleDate({2010, 12, 31, 23, 59, 59}) + 0.6 / 86400;
    EXPECT_EQ(FromOleDate(almostMidnight), (CalendarTime{2011, 1, 1, 0, 0, 0}));
}

TEST(DateTime, roundTripsEverySecondOfADayAndManyDays) {
    for (int s = 0; s < 86400; s += 7) {
        const CalendarTime t{2024, 2, 29, s / 3600, s / 60 % 60, s % 60};
        ASSERT_EQ(FromOleDate(ToOleDate(t)), t);
    }
    for (int year : {100, 1600, 1900, 2000, 2100, 9999}) {
        const CalendarTime t{year, 3, 1, 0, 0, 1};
        ASSERT_EQ(FromOleDate(ToOleDate(t)), t);
    }
}

TEST(DateTime, knowsGregorianLeapYears) {
    EXPECT_TRUE(IsValidCalendarTime({2008, 2, 29, 12, 0, 0}));
    EXPECT_FALSE(IsValidCalendarTime({2010, 2, 29, 12, 0, 0}));
    EXPECT_FALSE(IsValidCalendarTime({1900, 2, 29, 0, 0, 0}));
    EXPECT_TRUE(IsValidCalendarTime({2000, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(IsValidCalendarTime({2010, 7, 15, 24, 0, 0}));
    EXPECT_FALSE(IsValidCalendarTime({0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace geotal
