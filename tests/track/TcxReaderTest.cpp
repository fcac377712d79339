#include "track/TcxReader.h"

#include <gtest/gtest.h>

#include "track/TrackPointMatchers.h"

namespace geotal {
namespace {

using testing::Ole;
using testing::PointsOf;

std::string Tcx(const std::string& points) {
    return "<?xml version=\"1.0\"?>\n<TrainingCenterDatabase "
           "xmlns=\"http://www.garmin.com/xmlschemas/TrainingCenterDatabase/v2\">"
           "<Activities><Activity Sport=\"Running\"><Lap StartTime=\"2012-10-13T08:10:00Z\">"
           "<Track>" +
           points + "</Track></Lap></Activity></Activities></TrainingCenterDatabase>";
}

TEST(TcxReader, readsEachTrackpointWithItsPositionTimeAndAltitude) {
    TrackStore store;
    const TrackReadResult result = ReadTcxText(
        Tcx("<Trackpoint><Time>2012-10-13T08:10:03.000Z</Time><Position>"
            "<LatitudeDegrees>47.5</LatitudeDegrees><LongitudeDegrees>-8.25</LongitudeDegrees>"
            "</Position><AltitudeMeters>412.7</AltitudeMeters><HeartRateBpm><Value>90</Value>"
            "</HeartRateBpm></Trackpoint>"
            "<Trackpoint><Time>2012-10-13T08:10:04Z</Time><Position>"
            "<LongitudeDegrees>-8.5</LongitudeDegrees><LatitudeDegrees>47.25</LatitudeDegrees>"
            "</Position></Trackpoint>"),
        store);
    TrackPoint high{171000, -29700, 412.7, Ole(2012, 10, 13, 8, 10, 3)};
    EXPECT_EQ(PointsOf(store),
              (std::vector<TrackPoint>{
                  high, {170100, -30600, std::nullopt, Ole(2012, 10, 13, 8, 10, 4)}}));
    EXPECT_FALSE(store.At(1).elevation);
    EXPECT_EQ(result.note, "");
}

TEST(TcxReader, countsTrackpointsWithoutPositionOrTimeAndKeepsThePointsBeforeDamage) {
    std::string cut =
        Tcx("<Trackpoint><Time>2012-10-13T08:10:03Z</Time><HeartRateBpm><Value>90</Value>"
            "</HeartRateBpm></Trackpoint>"
            "<Trackpoint><Position><LatitudeDegrees>1</LatitudeDegrees>"
            "<LongitudeDegrees>2</LongitudeDegrees></Position></Trackpoint>"
            "<Trackpoint><Time>2012-10-13T08:10:05Z</Time><Position><LatitudeDegrees>1"
            "</LatitudeDegrees><LongitudeDegrees>2</LongitudeDegrees></Position></Trackpoint>");
    cut.resize(cut.rfind("</Track>"));  // the file ends after the last Trackpoint
    TrackStore store;
    const TrackReadResult result = ReadTcxText(cut, store);
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(result.skipped, (SkippedPoints{1, 1, 0}));
    EXPECT_NE(result.note.find("the XML is broken"), std::string::npos) << result.note;
}

}  // namespace
}  // namespace geotal
