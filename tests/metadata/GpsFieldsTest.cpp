// The GPS fields of a position, made once for the EXIF and the XMP write alike.
#include "metadata/GpsFields.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "metadata/XmpGpsEdit.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

const TiffField* FieldOf(const GpsChange& change, std::uint16_t tag) {
    const auto found = std::find_if(change.fields.begin(), change.fields.end(),
                                    [tag](const TiffField& field) { return field.tag == tag; });
    return found == change.fields.end() ? nullptr : &*found;
}

bool Removes(const GpsChange& change, std::uint16_t tag) {
    return std::find(change.removed.begin(), change.removed.end(), tag) != change.removed.end();
}

constexpr double kLatitude = 171036.0;   // 47°30'36" N
constexpr double kLongitude = -29700.0;  // 8°15' W

TEST(GpsChangeFor, writesAFixTimeAsItsUtcTimeAndDateStamps) {
    const GpsChange change =
        GpsChangeFor({kLatitude, kLongitude, {}, ToOleDate({2010, 1, 31, 9, 5, 30})});
    ASSERT_NE(FieldOf(change, 7), nullptr);
    EXPECT_EQ(FieldOf(change, 7)->values, (std::vector<std::uint32_t>{9, 1, 5, 1, 30, 1}));
    ASSERT_NE(FieldOf(change, 29), nullptr);
    EXPECT_EQ(FieldOf(change, 29)->values,
              (std::vector<std::uint32_t>{'2', '0', '1', '0', ':', '0', '1', ':', '3', '1', 0}));
    EXPECT_FALSE(Removes(change, 7));
    EXPECT_FALSE(Removes(change, 29));
    EXPECT_EQ(ToXmpGpsValues(change).timeStamp, "2010-01-31T09:05:30Z");
}

// One rule for EXIF and XMP alike: a position without a fix time, 0 among them (the moment an
// unset time gives, 1899-12-30), writes no time stamp and takes the old ones out.
TEST(GpsChangeFor, writesNoTimeStampForAPositionWithoutAFixTimeOrAFixTimeOfZero) {
    for (const std::optional<double> fixTime :
         {std::optional<double>(), std::optional<double>(0.0),
          std::optional<double>(std::numeric_limits<double>::quiet_NaN())}) {
        const GpsChange change = GpsChangeFor({kLatitude, kLongitude, {}, fixTime});
        EXPECT_EQ(FieldOf(change, 7), nullptr);
        EXPECT_EQ(FieldOf(change, 29), nullptr);
        EXPECT_TRUE(Removes(change, 7));
        EXPECT_TRUE(Removes(change, 29));
        const XmpGpsValues xmp = ToXmpGpsValues(change);
        EXPECT_EQ(xmp.timeStamp, "");
        EXPECT_NE(std::find(xmp.removed.begin(), xmp.removed.end(), "GPSTimeStamp"),
                  xmp.removed.end());
    }
}

TEST(GpsChangeFor, writesTheHemispheresAndAnAltitudeBelowSeaLevel) {
    const GpsChange change = GpsChangeFor({kLatitude, kLongitude, -12.5, {}});
    EXPECT_EQ(FieldOf(change, 1)->values, (std::vector<std::uint32_t>{'N', 0}));
    EXPECT_EQ(FieldOf(change, 2)->values, (std::vector<std::uint32_t>{47, 1, 30, 1, 36, 1}));
    EXPECT_EQ(FieldOf(change, 3)->values, (std::vector<std::uint32_t>{'W', 0}));
    EXPECT_EQ(FieldOf(change, 4)->values, (std::vector<std::uint32_t>{8, 1, 15, 1, 0, 1}));
    EXPECT_EQ(FieldOf(change, 5)->values, std::vector<std::uint32_t>{1});
    EXPECT_EQ(FieldOf(change, 6)->values, (std::vector<std::uint32_t>{25, 2}));

    const GpsChange without = GpsChangeFor({kLatitude, kLongitude, {}, {}});
    EXPECT_EQ(FieldOf(without, 5), nullptr);
    EXPECT_EQ(FieldOf(without, 6), nullptr);
    EXPECT_TRUE(Removes(without, 5));
    EXPECT_TRUE(Removes(without, 6));
}

// Seconds a hair below the next minute are counted in whole millionths, so that they carry into
// the minute instead of being written as 60 seconds.
TEST(GpsChangeFor, neverWritesSixtySeconds) {
    const double justBelow = 47 * 3600.0 + 29 * 60.0 + 59.9999996;
    const GpsChange change = GpsChangeFor({justBelow, 0.0000004, {}, {}});
    EXPECT_EQ(FieldOf(change, 2)->values, (std::vector<std::uint32_t>{47, 1, 30, 1, 0, 1}));
    EXPECT_EQ(FieldOf(change, 4)->values, (std::vector<std::uint32_t>{0, 1, 0, 1, 0, 1}));
}

}  // namespace
}  // namespace geotal
