#include "track/GpxReader.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "track/CsvTrackReader.h"
#include "track/GpxTokenParser.h"
#include "track/MarkupTokenizer.h"
#include "track/TrackFileReader.h"
#include "track/TrackPointMatchers.h"
#include "track/TrackTestFolder.h"

namespace geotal {
namespace {

using testing::Ole;
using testing::PointsOf;

std::string Point(const std::string& attributes, const std::string& inside) {
    return "<trkpt " + attributes + ">\n  " + inside + "\n</trkpt>\n";
}

const std::string kTime = "<time>2010-05-01T10:20:30Z</time>";
const double kTenTwentyThirty = 40299.43090277778;  // 2010-05-01 10:20:30

struct GpxCase {
    const char* name;
    std::string gpx;
    std::vector<TrackPoint> expected;
    SkippedPoints skipped = {};
};

// The case's name only, so test listings stay one short line each.
void PrintTo(const GpxCase& c, std::ostream* out) {
    *out << c.name;
}

class GpxTrackPoints : public ::testing::TestWithParam<GpxCase> {};

TEST_P(GpxTrackPoints, areReadAsFilesUsersHaveExpectThem) {
    TrackStore store;
    const SkippedPoints skipped = ReadGpxText(GetParam().gpx, store);
    EXPECT_EQ(PointsOf(store), GetParam().expected);
    EXPECT_EQ(skipped, GetParam().skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GpxTrackPoints,
    ::testing::Values(
        GpxCase{"fullPoint",
                "<gpx><trk><trkseg>" +
                    Point(R"(lat="47.5" lon="-8.25")", "<ele>412.7</ele>" + kTime) +
                    "</trkseg></trk></gpx>",
                {{171000, -29700, 412.7, kTenTwentyThirty}}},
        GpxCase{"lonBeforeLat",
                Point(R"(lon="-8.25" lat="47.5")", "<ele>412.7</ele>" + kTime),
                {{171000, -29700, 412.7, kTenTwentyThirty}}},
        // Short elevations are real data, not noise between tags.
        GpxCase{"shortElevations",
                Point(R"(lat="1" lon="1")", "<ele>5</ele>" + kTime) +
                    Point(R"(lat="1" lon="1")", "<ele>12</ele>" + kTime) +
                    Point(R"(lat="1" lon="1")", "<ele>150</ele>" + kTime),
                {{3600, 3600, 5, kTenTwentyThirty},
                 {3600, 3600, 12, kTenTwentyThirty},
                 {3600, 3600, 150, kTenTwentyThirty}}},
        GpxCase{"pointWithoutTimeIsDropped",
                Point(R"(lat="1" lon="2")", "<ele>7</ele>") + Point(R"(lat="3" lon="4")", kTime),
                // the elevation of the dropped point is not the next one's
                {{10800, 14400, std::nullopt, kTenTwentyThirty}},
                {0, 1, 0}},
        GpxCase{"fractionIsTruncated",
                Point(R"(lat="1" lon="1")", "<time>2010-05-01T10:20:30.999Z</time>"),
                {{3600, 3600, 0, kTenTwentyThirty}}},
        GpxCase{"numericZoneIsTurnedIntoUtc",
                Point(R"(lat="1" lon="1")", "<time>2010-05-01T12:20:30+02:00</time>") +
                    Point(R"(lat="1" lon="1")", "<time>2010-05-01T08:50:30.75-01:30</time>") +
                    Point(R"(lat="1" lon="1")", "<time>2010-05-01T00:20:30+02:00</time>"),
                {{3600, 3600, 0, kTenTwentyThirty},
                 {3600, 3600, 0, kTenTwentyThirty},
                 {3600, 3600, 0, Ole(2010, 4, 30, 22, 20, 30)}}},
        // Stored at time 0 they could be handed to a photo without a time.
        GpxCase{"pointWithUnreadableOrEmptyTimeIsSkipped",
                Point(R"(lat="1" lon="1")", "<time>yesterday</time>") +
                    Point(R"(lat="2" lon="2")", "<time></time>") +
                    Point(R"(lat="3" lon="3")", "<time>05/01/2010 10:20:30</time>") +
                    Point(R"(lat="4" lon="4")", kTime),
                {{14400, 14400, 0, kTenTwentyThirty}},
                {0, 3, 0}},
        GpxCase{"waypointsAndRoutePointsAreIgnored",
                R"(<wpt lat="5" lon="5"><ele>9</ele>)" + kTime + "</wpt>" +
                    R"(<rte><rtept lat="6" lon="6">)" + kTime + "</rtept></rte>" +
                    Point(R"(lat="1" lon="1")", kTime),
                {{3600, 3600, 0, kTenTwentyThirty}}},
        // Some receivers open a track with points that have only an elevation and a time.
        GpxCase{"pointWithoutLatOrLonIsSkipped",
                Point("", "<ele>412</ele>" + kTime) +
                    Point(R"(lat="1" lon="2")", "<ele>413</ele>" + kTime) +
                    Point(R"(lon="3")", kTime) + Point(R"(lat="4")", kTime) +
                    Point(R"(lat="5" lon=)", kTime),
                {{3600, 7200, 413, kTenTwentyThirty}},
                {4, 0, 0}},
        // 0/0 means "no position" throughout; such a fix is a receiver without one.
        GpxCase{"pointAtExactlyZeroZeroIsSkipped",
                Point(R"(lat="0" lon="0.0")", kTime) + Point(R"(lat="0" lon="1")", kTime) +
                    Point(R"(lat="1" lon="0")", kTime),
                {{0, 3600, 0, kTenTwentyThirty}, {3600, 0, 0, kTenTwentyThirty}},
                {1, 0, 0}},
        GpxCase{"pointOffTheGlobeIsSkipped",
                Point(R"(lat="nan" lon="1")", kTime) + Point(R"(lat="1" lon="inf")", kTime) +
                    Point(R"(lat="1e999" lon="1")", kTime) + Point(R"(lat="91" lon="1")", kTime) +
                    Point(R"(lat="-1000" lon="1")", kTime) + Point(R"(lat="1" lon="540")", kTime) +
                    Point(R"(lat="1" lon="-180.0001")", kTime) +
                    Point(R"(lat="-infinity" lon="1")", kTime),
                {},
                {0, 0, 8}},
        GpxCase{"globeEdgesAreKept",
                Point(R"(lat="90" lon="180")", kTime) + Point(R"(lat="-90" lon="-180")", kTime),
                {{324000, 648000, 0, kTenTwentyThirty}, {-324000, -648000, 0, kTenTwentyThirty}}},
        GpxCase{"selfClosingPointIsOverwrittenByTheNextStartTag",
                R"(<trkpt lat="9" lon="9"/>)" + Point(R"(lat="1" lon="1")", kTime),
                {{3600, 3600, 0, kTenTwentyThirty}}},
        GpxCase{"unclosedLastPointIsLost",
                Point(R"(lat="1" lon="1")", kTime) + R"(<trkpt lat="2" lon="2">)" + kTime,
                {{3600, 3600, 0, kTenTwentyThirty}}},
        GpxCase{"tagsWithAttributesOrPrefixesAreNotRecognised",
                Point(R"(lat="1" lon="1")", "<time zone=\"x\">2010-05-01T10:20:30Z</time>") +
                    Point(R"(lat="2" lon="2")", "<gpx:time>2010-05-01T10:20:30Z</gpx:time>"),
                {},
                {0, 2, 0}},
        GpxCase{"singleQuotedValuesAreReadAsDoubleQuotedOnes",
                Point(R"(lat='1' lon='2')", kTime) + Point(R"(lon='-8.25' lat="47.5")", kTime) +
                    Point(R"(lat="3" lon='4' name="Bob's")", kTime),
                {{3600, 7200, 0, kTenTwentyThirty},
                 {171000, -29700, 0, kTenTwentyThirty},
                 {10800, 14400, 0, kTenTwentyThirty}}},
        // The quote found need not be the attribute's own, as ever.
        GpxCase{"unquotedValueTakesTheNextQuotedOne",
                Point(R"(lat=1 lon="2")", kTime),
                {{7200, 7200, 0, kTenTwentyThirty}}},
        GpxCase{"elevationIsResetOnlyAfterAStoredPoint",
                Point(R"(lat="1" lon="1")", "<ele>100</ele>" + kTime) +
                    Point(R"(lat="1" lon="1")", kTime),
                {{3600, 3600, 100, kTenTwentyThirty}, {3600, 3600, 0, kTenTwentyThirty}}}),
    [](const ::testing::TestParamInfo<GpxCase>& info) { return std::string(info.param.name); });

TEST(GpxReader, marksTheElevationOnlyOfPointsThatCarryTheirOwn) {
    TrackStore store;
    ReadGpxText(
        Point(R"(lat="1" lon="1")", "<ele>412</ele>" + kTime) + Point(R"(lat="1" lon="1")", kTime) +
            Point(R"(lat="1" lon="1")", "<ele>nan</ele>" + kTime) +
            // Skipped (no lon), its elevation carried over, but not this point's own.
            Point(R"(lat="1")", "<ele>7</ele>" + kTime) + Point(R"(lat="1" lon="1")", kTime),
        store);
    ASSERT_EQ(store.Count(), 4);
    EXPECT_TRUE(store.At(0).elevation);
    EXPECT_FALSE(store.At(1).elevation);
    EXPECT_FALSE(store.At(2).elevation) << "nan is no elevation";
    EXPECT_FALSE(store.At(3).elevation);

    TrackStore csv;
    ReadCsvTrackText("1,2010-05-01,10:20:30,47.5,-8.25,412\n", csv);
    ASSERT_EQ(csv.Count(), 1);
    EXPECT_FALSE(csv.At(0).elevation) << "CSV tracks carry no elevation";
}

TEST(MarkupTokenizer, keepsTagsAsWrittenAndTrimsText) {
    MarkupTokenizer tokenizer("<a x=\"1\">\n  5 \n</a><b>c</b>\n<c x=\"a>b\">tail");
    std::vector<std::string_view> tokens;
    for (std::string_view token; tokenizer.Next(token);) {
        tokens.push_back(token);
    }
    const std::vector<std::string_view> expected = {"<a x=\"1\">", "5",    "</a>",      "<b>",
                                                    "c",           "</b>", "<c x=\"a>", "b\">"};
    EXPECT_EQ(tokens, expected);
}

TEST(GpxTimeCleaning, blanksTAndZAndCutsOnlyLateFractions) {
    const struct {
        const char* token;
        const char* cleaned;
    } cases[] = {
        {"2010-05-01T10:20:30Z", "2010-05-01 10:20:30 "},
        {"2010-05-01T10:20:30.250Z", "2010-05-01 10:20:30"},
        {"2010-05-01T10:20:30.250+02:00", "2010-05-01 10:20:30+02:00"},
        {"2010.05.01T10:20:30", "2010.05.01 10:20:30"},
        {"</time>", "</time>"},
    };
    std::string text;
    for (const auto& c : cases) {
        CleanGpxTime(c.token, text);
        EXPECT_EQ(text, c.cleaned) << c.token;
    }
}

TEST(GpxPositionAttributes, areAbsentWithoutTheirNameOrAClosingQuote) {
    const struct {
        const char* tag;
        std::optional<double> latitude, longitude;
    } cases[] = {
        {R"(<trkpt lon="-8.25">)", std::nullopt, -8.25},
        {R"(<trkpt lat="47.5 lon=>)", std::nullopt, std::nullopt},
        {R"(<trkpt lat='47.5" lon="8'>)", 47.5, std::nullopt},
        {R"(<trkpt lat="" lon='x'>)", 0, 0},
        {"<trkpt>", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const PositionAttributes found = ReadPositionAttributes(c.tag);
        EXPECT_EQ(found.latitude, c.latitude) << c.tag;
        EXPECT_EQ(found.longitude, c.longitude) << c.tag;
    }
}

TEST(GpxReader, readsWindowsAndUnixLineEndsAlike) {
    testing::TrackTestFolder folder;
    const std::string gpx = Point(R"(lat="1" lon="2")", "<ele>\n5\n</ele>\n" + kTime) +
                            Point(R"(lat="3" lon="4")", kTime);
    TrackStore unix, windows;
    EXPECT_TRUE(ReadTrackFile(folder.Write("unix.gpx", gpx), TrackFormat::Gpx, unix).readable);
    EXPECT_TRUE(ReadTrackFile(folder.Write("windows.gpx", testing::WithWindowsLineEnds(gpx)),
                              TrackFormat::Gpx, windows)
                    .readable);
    EXPECT_EQ(unix.Count(), 2);
    EXPECT_EQ(PointsOf(unix), PointsOf(windows));
}

TEST(GpxReader, addsNothingForAMissingFileOrADirectory) {
    testing::TrackTestFolder folder;
    TrackStore store;
    EXPECT_FALSE(ReadTrackFile(folder.path() + "/missing.gpx", TrackFormat::Gpx, store).readable);
    EXPECT_FALSE(ReadTrackFile(folder.path(), TrackFormat::Gpx, store).readable);
    EXPECT_TRUE(store.IsEmpty());
}

}  // namespace
}  // namespace geotal
