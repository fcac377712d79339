#include "output/Formatting.h"

#include <gtest/gtest.h>

namespace geotal {
namespace {

struct CoordinateCase {
    double angle;
    const char* decimalDegrees;
    const char* degreesMinutes;
    const char* degreesMinutesSeconds;
};

TEST(FormatCoordinate, writesEachFormatByteForByte) {
    const CoordinateCase cases[] = {
        {171068.4, "47.519000", "47 31.1400", "47 31  8.40"},
        {-121927.68, "-33.868800", "-33 52.1280", "-33 52  7.68"},
        {18210, "5.058333", "5  3.5000", "5  3 30.00"},
        {648000, "180.000000", "180  0.0000", "180  0  0.00"},
        {0, "0.000000", "0  0.0000", "0  0  0.00"},
        // Rounded fields may read 60: there is no carry into the field before.
        {215999.996, "59.999999", "59 59.9999", "59 59 60.00"},
        {46799.9976, "12.999999", "12 60.0000", "12 59 60.00"},
        // The sign stays although every digit is zero.
        {-0.001, "-0.000000", "-0  0.0000", "-0  0  0.00"},
    };
    for (const CoordinateCase& c : cases) {
        EXPECT_EQ(FormatCoordinate(c.angle, CoordinateFormat::DecimalDegrees), c.decimalDegrees)
            << c.angle;
        EXPECT_EQ(FormatCoordinate(c.angle, CoordinateFormat::DegreesMinutes), c.degreesMinutes)
            << c.angle;
        EXPECT_EQ(FormatCoordinate(c.angle, CoordinateFormat::DegreesMinutesSeconds),
                  c.degreesMinutesSeconds)
            << c.angle;
    }
}

TEST(CoordinateFormat, readsAStoredNumberThatStandsForNoFormatAsDecimalDegrees) {
    EXPECT_EQ(CoordinateFormatFromNumber(2), CoordinateFormat::DegreesMinutes);
    EXPECT_EQ(CoordinateFormatFromNumber(3), CoordinateFormat::DegreesMinutesSeconds);
    for (int number : {1, 0, 4, -1}) {
        EXPECT_EQ(CoordinateFormatFromNumber(number), CoordinateFormat::DecimalDegrees) << number;
    }
}

TEST(FormatPhotoTime, roundsToTheSecondAndPadsEveryField) {
    EXPECT_EQ(FormatPhotoTime(40008.54524305555), "2009/07/14 13:05:09");
    EXPECT_EQ(FormatPhotoTime(0), "") << "0 is no time, not a photo taken in 1899";
    EXPECT_EQ(FormatPhotoTime(1.0), "1899/12/31 00:00:00");
    EXPECT_EQ(FormatPhotoTime(40299.43090277778 + 0.6 / 86400), "2010/05/01 10:20:31");
}

}  // namespace
}  // namespace geotal
