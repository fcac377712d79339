#include "track/IgcReader.h"

#include <gtest/gtest.h>

#include "track/TrackPointMatchers.h"

namespace geotal {
namespace {

using testing::High;
using testing::Ole;
using testing::PointsOf;

struct IgcCase {
    const char* name;
    std::string igc;
    std::vector<TrackPoint> points;
};

const std::vector<IgcCase> kIgcCases = {
    {"the old date header; GNSS altitude first, the pressure altitude when GNSS gives 0",
     "AXMP eTrex\nHFDTE050110\nB0723154916500N00643500EA0000000443\n"
     "B0723164916500S00643500WA0044300000\n",
     {High(49.275, 6.725, 443, Ole(2010, 1, 5, 7, 23, 15)),
      High(-49.275, -6.725, 443, Ole(2010, 1, 5, 7, 23, 16))}},
    {"the new date header, extensions after the altitudes, a day later past midnight",
     "HFDTEDATE:311221,01\r\nI013638FXA\r\nB2359594622610N00801851EA0185801858123\r\n"
     "B0000014622610N00801851EA0185801859123\r\n",
     {High(46.376833333, 8.030850, 1858, Ole(2021, 12, 31, 23, 59, 59)),
      High(46.376833333, 8.030850, 1859, Ole(2022, 1, 1, 0, 0, 1))}},
    {"a record with an impossible time is left out and does not move the clock past midnight",
     "HFDTE050110\nB1200004916500N00643500EA0000000443\nB2560004916500N00643500EA0000000444\n"
     "B1200104916500N00643500EA0000000445\nB0000014916500N00643500EA0000000446\n",
     {High(49.275, 6.725, 443, Ole(2010, 1, 5, 12, 0, 0)),
      High(49.275, 6.725, 445, Ole(2010, 1, 5, 12, 0, 10)),
      High(49.275, 6.725, 446, Ole(2010, 1, 6, 0, 0, 1))}},
};

TEST(IgcReader, readsBRecordsOnTheHeaderDate) {
    for (const IgcCase& c : kIgcCases) {
        TrackStore store;
        const TrackReadResult result = ReadIgcText(c.igc, store);
        const std::vector<TrackPoint> points = PointsOf(store);
        ASSERT_EQ(points.size(), c.points.size()) << c.name;
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_NEAR(points[i].latitude, c.points[i].latitude, 1e-4) << c.name;
            EXPECT_NEAR(points[i].longitude, c.points[i].longitude, 1e-4) << c.name;
            EXPECT_NEAR(points[i].time, c.points[i].time, 1e-9) << c.name;
            EXPECT_EQ(points[i].elevation, c.points[i].elevation) << c.name;
        }
        EXPECT_EQ(result.note, "") << c.name;
        EXPECT_EQ(result.skipped.withoutTime, c.igc.find("B256") == std::string::npos ? 0 : 1)
            << c.name;
    }
}

struct UndatedCase {
    const char* header;
    std::string note;
};

TEST(IgcReader, saysWhyRecordsGaveNoPoints) {
    const UndatedCase undated[] = {
        {"", "no date: the log has no HFDTE header"},
        {"HFDTE320199\n", "no date: the date of its header HFDTE320199 is impossible"},
        {"HFDTEDATE:290223,01\r\n",
         "no date: the date of its header HFDTEDATE:290223,01 is impossible"},
        {"HFDTEDATE:\nHFDTE000000\n", "no date: the date of its header HFDTEDATE: cannot be read"},
    };
    for (const UndatedCase& c : undated) {
        TrackStore store;
        const TrackReadResult result =
            ReadIgcText(c.header + std::string("B0723154916500N00643500EA0000000443\n"), store);
        EXPECT_TRUE(store.IsEmpty()) << c.header;
        EXPECT_EQ(result.skipped, (SkippedPoints{0, 1, 0})) << c.header;
        EXPECT_EQ(result.note, c.note) << c.header;
    }

    TrackStore store;
    const TrackReadResult result = ReadIgcText(
        "HFDTE050110\nB07315B0626473205699N07642351EA0222802387\nB0723154916500N0064\n", store);
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(result.note, "2 B records were damaged and left out");
}

}  // namespace
}  // namespace geotal
