#include "metadata/XmpValues.h"

#include <cmath>

#include <gtest/gtest.h>

#include "support/DateTime.h"

namespace geotal {
namespace {

TEST(ParseXmpCoordinate, readsDegreesWithDecimalMinutesOrWholeMinutesAndSeconds) {
    struct Case {
        const char* text;
        std::optional<double> seconds;
    };
    const Case cases[] = {
        {"47,30.0000N", 47 * 3600.0 + 1800},
        {"47,30.5S", -(47 * 3600.0 + 1830)},
        {"8,15,30E", 8 * 3600.0 + 930},
        {"122,0,0W", -122 * 3600.0},
        {"0,0.0N", 0.0},
        {"47,30.0000N ", 47 * 3600.0 + 1800},
        {"47,60.0N", std::nullopt},
        {"47,30,60N", std::nullopt},
        {"47.5N", 47.5 * 3600},  // decimal degrees, as some exports write them
        {"47,30.0X", std::nullopt},
        {"47,30.0", std::nullopt},
        {",30N", std::nullopt},
        {"47,N", std::nullopt},
        {"47,30,N", std::nullopt},
        {"-47,30N", std::nullopt},
        {"", std::nullopt},
        {"N", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<double> parsed = ParseXmpCoordinate(c.text);
        ASSERT_EQ(parsed.has_value(), c.seconds.has_value()) << c.text;
        if (parsed) {
            EXPECT_NEAR(*parsed, *c.seconds, 1e-6) << c.text;
        }
    }
}

TEST(ParseXmpDate, readsTheMomentAndKeepsTheOffsetApart) {
    const double moment = ToOleDate(CalendarTime{2014, 5, 17, 10, 11, 12});
    struct Case {
        const char* text;
        bool valid;
        double time;
        const char* offset;
        bool dayOnly = false;
    };
    const Case cases[] = {
        // Without seconds, as XMP allows: the offset is not taken for them.
        {"2003-09-05T16:30+02:00", true, ToOleDate(CalendarTime{2003, 9, 5, 16, 30, 0}), "+02:00"},
        {"2003-09-05T16:30Z", true, ToOleDate(CalendarTime{2003, 9, 5, 16, 30, 0}), ""},
        {"2014-05-17T10:11:12", true, moment, ""},
        {"2014-05-17T10:11:12+02:00", true, moment, "+02:00"},
        {"2014-05-17T10:11:12.345-07:00", true, moment, "-07:00"},
        {"2014-05-17T10:11:12Z", true, moment, ""},
        {"2014-05-17", true, ToOleDate(CalendarTime{2014, 5, 17, 0, 0, 0}), "", true},
        {"2014:05:17 10:11:12", false, 0, ""},
        {"2014-13-17T10:11:12", false, 0, ""},
        {"2014", false, 0, ""},
        {"", false, 0, ""},
    };
    for (const Case& c : cases) {
        const std::optional<XmpDate> date = ParseXmpDate(c.text);
        ASSERT_EQ(date.has_value(), c.valid) << c.text;
        if (date) {
            EXPECT_NEAR(date->time, c.time, 1e-9) << c.text;
            EXPECT_EQ(date->offset, c.offset) << c.text;
            EXPECT_EQ(date->dayOnly, c.dayOnly) << c.text;
        }
    }
}

TEST(XmpCaptureTime, prefersTheOriginalDateThenTheCreationDate) {
    const XmpTexts both = {{"Xmp.photoshop.DateCreated", "2001-01-01T00:00:00"},
                           {"Xmp.exif.DateTimeOriginal", "2002-02-02T02:02:02"}};
    EXPECT_NEAR(XmpCaptureTime(both)->time, ToOleDate(CalendarTime{2002, 2, 2, 2, 2, 2}), 1e-9);
    const XmpTexts damagedOriginal = {{"Xmp.exif.DateTimeOriginal", "garbage"},
                                      {"Xmp.photoshop.DateCreated", "2001-01-01T00:00:00"}};
    EXPECT_NEAR(XmpCaptureTime(damagedOriginal)->time, ToOleDate(CalendarTime{2001, 1, 1, 0, 0, 0}),
                1e-9);
    EXPECT_FALSE(XmpCaptureTime({{"Xmp.xmp.CreateDate", "2001-01-01T00:00:00"}}));
}

TEST(XmpPosition, needsBothCoordinatesOnTheGlobeAndNotZero) {
    const MaybePosition position = XmpPosition(
        {{"Xmp.exif.GPSLatitude", "51,10.7000N"}, {"Xmp.exif.GPSLongitude", "1,49.5W"}});
    ASSERT_TRUE(position);
    EXPECT_NEAR(position->latitude, 51 * 3600.0 + 642, 1e-6);
    EXPECT_NEAR(position->longitude, -(3600.0 + 2970), 1e-6);
    EXPECT_FALSE(XmpPosition({{"Xmp.exif.GPSLatitude", "51,10.7000N"}}));
    EXPECT_FALSE(
        XmpPosition({{"Xmp.exif.GPSLatitude", "91,0.0N"}, {"Xmp.exif.GPSLongitude", "1,0.0W"}}));
    EXPECT_FALSE(
        XmpPosition({{"Xmp.exif.GPSLatitude", "0,0.0N"}, {"Xmp.exif.GPSLongitude", "0,0.0E"}}));
}

}  // namespace
}  // namespace geotal
