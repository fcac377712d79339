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
    }
}

TEST(IgcReader, saysWhyRecordsGaveNoPoints) {
    TrackStore store;
    TrackReadResult result = ReadIgcText("B0723154916500N00643500EA0000000443\n", store);
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(result.skipped, (SkippedPoints{0, 1, 0}));
    EXPECT_EQ(result.note, "no date: the log has no HFDTE header");

    result = ReadIgcText(
        "HFDTE050110\nB07315B0626473205699N07642351EA0222802387\nB0723154916500N0064\n", store);
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(result.note, "2 B records were damaged and left out");
}

}  // namespace
}  // namespace geotal
