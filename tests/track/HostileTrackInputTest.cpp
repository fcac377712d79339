// Track files no device wrote: random bytes, huge numbers, one enormous line, tags out of
// order, lines of thousands of fields. None may crash or hang the load, and only real fixes
// may come out of them.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "track/CsvTrackReader.h"
#include "track/GpxReader.h"
#include "track/TrackFileReader.h"
#include "track/TrackPointMatchers.h"
#include "track/TrackTestFolder.h"

namespace geotal {
namespace {

using testing::FirstUnrealFix;
using testing::PointsOf;

const std::string kTime = "<time>2010-05-01T10:20:30Z</time>";
const double kTenTwentyThirty = 40299.43090277778;  // 2010-05-01 10:20:30

std::string RandomBytes(size_t size, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i += 8) {
        const std::uint64_t word = random();
        for (size_t k = 0; k < 8 && i + k < size; ++k) {
            bytes[i + k] = static_cast<char>(word >> (8 * k));
        }
    }
    return bytes;
}

// Reading 50 MB this way takes well under a second on the build machine.
TEST(HostileTrackInput, aFileOfRandomBytesNamedGpxGivesNoUnrealPoint) {
    testing::TrackTestFolder folder;
    const std::string path = folder.Write("random.gpx", RandomBytes(50'000'000, 12));
    TrackStore gpx, csv;
    EXPECT_TRUE(ReadTrackFile(path, TrackFormat::Gpx, gpx).readable);
    EXPECT_TRUE(ReadTrackFile(path, TrackFormat::Csv, csv).readable);
    EXPECT_EQ(FirstUnrealFix(gpx), "");
    EXPECT_EQ(FirstUnrealFix(csv), "");
}

TEST(HostileTrackInput, aFiftyMegabyteRunOfDigitsIsNoCoordinate) {
    const std::string digits(50'000'000, '7');
    TrackStore gpx;
    const SkippedPoints skipped =
        ReadGpxText("<trkpt lat=\"" + digits + "\" lon=\"1\">" + kTime + "</trkpt>" +
                        "<trkpt lat=\"1\" lon=\"-" + digits + "\">" + kTime + "</trkpt>",
                    gpx);
    EXPECT_TRUE(gpx.IsEmpty());
    EXPECT_EQ(skipped.offGlobe, 2);
    TrackStore csv;
    EXPECT_EQ(ReadCsvTrackText("1,2010-05-01,10:20:30," + digits + ",1\n", csv).offGlobe, 1);
    EXPECT_TRUE(csv.IsEmpty());
}

TEST(HostileTrackInput, aMillionPointsOnOneLineAreAllRead) {
    std::string line;
    for (int i = 0; i < 1'000'000; ++i) {
        line += "<trkpt lat=\"" + std::to_string(i % 90) + ".5\" lon=\"8\">" + kTime + "</trkpt>";
    }
    TrackStore store;
    EXPECT_EQ(ReadGpxText(line, store).Total(), 0);
    ASSERT_EQ(store.Count(), 1'000'000);
    EXPECT_EQ(store.At(999'999).latitude, 9.5 * 3600);  // 999,999 % 90 == 9
    EXPECT_EQ(store.At(999'999).time, kTenTwentyThirty);
}

struct TagCase {
    const char* name;
    std::string gpx;
    int points;
    SkippedPoints skipped;
};

TEST(HostileTrackInput, unbalancedAndNestedTagsGiveOnlyTheirRealPoints) {
    const std::string point = R"(<trkpt lat="1" lon="2">)" + kTime + "</trkpt>";
    std::string deep;
    for (int i = 0; i < 100'000; ++i) {
        deep += "<trkseg><trk>";
    }
    const TagCase cases[] = {
        {"end tags without a start", "</trkpt></time></ele></gpx>" + point, 1, {}},
        // The inner start tag overwrites the outer one; the second end tag finds no point.
        {"nested points",
         R"(<trkpt lat="5" lon="5"><trkpt lat="1" lon="2">)" + kTime + "</trkpt></trkpt>",
         1,
         {}},
        {"time opened twice",
         R"(<trkpt lat="1" lon="2"><time><time>2010-05-01T10:20:30Z)" +
             std::string("</time></trkpt>"),
         1,
         {}},
        // The end tag is taken as the point's time text, which cannot be read.
        {"time left open", R"(<trkpt lat="1" lon="2"><time></trkpt>)" + point, 1, {0, 1, 0}},
        {"time outside any point", kTime + R"(<trkpt lat="1" lon="2"></trkpt>)", 0, {0, 1, 0}},
        // The time's start tag is taken as the elevation text, and the time is still read.
        {"elevation left open", R"(<trkpt lat="1" lon="2"><ele>)" + kTime + "</trkpt>", 1, {}},
        // A ">" inside a value ends the start tag there, so lat and lon are not both found.
        {"angle bracket in a value",
         R"(<trkpt lat="1>" lon="2">)" + kTime + "</trkpt>",
         0,
         {1, 0, 0}},
        {"stray brackets", "<<<<" + point + ">>>><><<>>" + point, 2, {}},
        {"a hundred thousand unclosed tags", deep + point, 1, {}},
        {"a start tag without its end at the end of the file", point + "<trkpt lat=\"1\"", 1, {}},
        {"only brackets", std::string(100'000, '<') + std::string(100'000, '>'), 0, {}},
    };
    for (const TagCase& c : cases) {
        TrackStore store;
        const SkippedPoints skipped = ReadGpxText(c.gpx, store);
        EXPECT_EQ(store.Count(), c.points) << c.name;
        EXPECT_EQ(skipped, c.skipped) << c.name;
        EXPECT_EQ(FirstUnrealFix(store), "") << c.name;
    }
}

TEST(HostileTrackInput, csvLinesOfTenThousandFieldsGiveOnePointEach) {
    std::string plain = "1,2010-05-01,10:20:30,1,2";
    std::string quoted = plain;
    std::string separators = plain;
    for (int i = 0; i < 10'000; ++i) {
        plain += "," + std::to_string(i);
        quoted += ",\"x";  // every quote closed by the next field's
        separators += ",";
    }
    const std::string unclosed = "1,2010-05-01,10:20:30,1,2,\"" + std::string(10'000, ',');
    TrackStore store;
    const SkippedPoints skipped =
        ReadCsvTrackText(plain + "\n" + quoted + "\n" + separators + "\n" + unclosed + "\n", store);
    EXPECT_EQ(skipped.Total(), 0);
    EXPECT_EQ(PointsOf(store), std::vector<TrackPoint>(4, {3600, 7200, 0, kTenTwentyThirty}));
}

}  // namespace
}  // namespace geotal
