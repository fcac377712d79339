#include "geotag/PositionCalculation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/DateTime.h"

namespace geotal {
namespace {

// 2010-05-01 at the given time of day, as a day count.
double At(int hour, int minute, int second = 0) {
    return ToOleDate({2010, 5, 1, hour, minute, second});
}

// Two places about 11 km apart, in seconds of arc.
constexpr TrackPoint kHere{180000, 36000, 100, 0, true};
constexpr TrackPoint kThere{180600, 36600, 200, 0, true};
// Under one second of arc from kHere in both directions.
constexpr TrackPoint kBesideHere{180000.6, 36000.9, 110, 0, true};

TrackPoint Fix(const TrackPoint& place, double time) {
    TrackPoint point = place;
    point.time = time;
    return point;
}

TrackStore Track(const std::vector<TrackPoint>& points) {
    TrackStore track;
    for (const TrackPoint& point : points) {
        track.Append(point);
    }
    return track;
}

// Records the progress calls.
class RecordingProgress final : public ProgressSink {
public:
    void Begin(const std::string& text, int maximum) override {
        calls.push_back("begin:" + text + ":" + std::to_string(maximum));
    }
    void SetPosition(int position) override { calls.push_back("pos:" + std::to_string(position)); }
    void Pump() override { calls.push_back("pump"); }
    bool AbortRequested() const override { return false; }
    void ClearAbort() override { calls.push_back("clear"); }
    void End() override { calls.push_back("end"); }

    std::vector<std::string> calls;
};

struct Placed {
    PhotoRecord photo;
    PositionResult result;
};

// Places one checked photo, which starts with a position of its own.
Placed PlaceOne(const TrackStore& track, double cameraTime, int zone = 0, int error = 0,
                const MatchThresholds& thresholds = {}) {
    PhotoList photos;
    photos.records.push_back({"IMG_0001.JPG", 1234, 5678, cameraTime, 42, true, 0});
    TimeAdjustment adjustment;
    adjustment.timeZoneOffset = zone;
    adjustment.cameraClockError = error;
    NullProgress progress;
    const std::vector<PositionResult> results =
        CalculatePositions(photos, track, adjustment, {true}, progress, thresholds);
    return {photos[0], results[0]};
}

TEST(PositionCalculation, followsTheMatchingRulesAroundGapsAndTrackEnds) {
    const std::vector<TrackPoint> tenMinutes = {Fix(kHere, At(10, 0)), Fix(kThere, At(10, 10))};
    const std::vector<TrackPoint> twoHoursStill = {Fix(kHere, At(10, 0)),
                                                   Fix(kBesideHere, At(12, 0))};
    const std::vector<TrackPoint> twoHoursMoving = {Fix(kHere, At(10, 0)), Fix(kThere, At(12, 0))};
    const std::vector<TrackPoint> fiveHoursStill = {Fix(kHere, At(10, 0)),
                                                    Fix(kBesideHere, At(15, 0))};
    const std::vector<TrackPoint> halfHourMoving = {Fix(kHere, At(10, 0)), Fix(kThere, At(10, 30))};
    const std::vector<TrackPoint> sameTimeTwice = {Fix(kHere, At(10, 0)), Fix(kThere, At(10, 0))};
    const std::vector<TrackPoint> unsorted = {Fix(kThere, At(10, 10)), Fix(kHere, At(9, 0)),
                                              Fix(kHere, At(10, 0)), Fix(kThere, At(8, 0))};
    const struct {
        const char* name;
        std::vector<TrackPoint> points;
        double cameraTime;
        int zone, error;
        PositionOutcome outcome;
        double latitude, longitude, altitude;
    } cases[] = {
        {"halfway, two hours ahead", tenMinutes, At(12, 5), 2, 0,  //
         PositionOutcome::Interpolated, 180300, 36300, 150},
        {"camera a minute fast", tenMinutes, At(12, 5), 2, 60,  //
         PositionOutcome::Interpolated, 180240, 36240, 140},
        {"exactly at the later point", tenMinutes, At(10, 10), 0, 0,  //
         PositionOutcome::Interpolated, 180600, 36600, 200},
        {"two hours at one spot", twoHoursStill, At(11, 0), 0, 0,  //
         PositionOutcome::Interpolated, 180000.3, 36000.45, 105},
        {"two hours moving, 5 min after the first", twoHoursMoving, At(10, 5), 0, 0,
         PositionOutcome::Before, 180000, 36000, 100},
        {"two hours moving, 5 min before the second", twoHoursMoving, At(11, 55), 0, 0,
         PositionOutcome::After, 180600, 36600, 200},
        {"two hours moving, 15 min after the first", twoHoursMoving, At(10, 15), 0, 0,
         PositionOutcome::Far, 0, 0, 0},
        {"five hours, even at one spot", fiveHoursStill, At(12, 0), 0, 0,  //
         PositionOutcome::Gap, 0, 0, 0},
        {"five hours, right after a point", fiveHoursStill, At(10, 1), 0, 0,  //
         PositionOutcome::Gap, 0, 0, 0},
        {"five hours, exactly at the later point", fiveHoursStill, At(15, 0), 0, 0,
         PositionOutcome::Gap, 0, 0, 0},
        {"9 min before the track", tenMinutes, At(9, 51), 0, 0,  //
         PositionOutcome::After, 180000, 36000, 100},
        {"10 min before the track", tenMinutes, At(9, 50), 0, 0,  //
         PositionOutcome::Far, 0, 0, 0},
        {"9 min after the track", tenMinutes, At(10, 19), 0, 0,  //
         PositionOutcome::Before, 180600, 36600, 200},
        {"half an hour moving is not interpolated", halfHourMoving, At(10, 5), 0, 0,
         PositionOutcome::Before, 180000, 36000, 100},
        {"half an hour moving, near the second", halfHourMoving, At(10, 22), 0, 0,
         PositionOutcome::After, 180600, 36600, 200},
        {"half an hour moving, in the middle", halfHourMoving, At(10, 15), 0, 0,
         PositionOutcome::Far, 0, 0, 0},
        {"equal times: the first in store order", sameTimeTwice, At(10, 0), 0, 0,
         PositionOutcome::After, 180000, 36000, 100},
        {"equal times, photo after them", sameTimeTwice, At(10, 5), 0, 0,  //
         PositionOutcome::Before, 180000, 36000, 100},
        {"unsorted store", unsorted, At(10, 5), 0, 0,  //
         PositionOutcome::Interpolated, 180300, 36300, 150},
        {"no camera time", tenMinutes, 0, 0, 0,  //
         PositionOutcome::Far, 0, 0, 0},
        // A point stored without a readable time once met such a photo at distance 0.
        {"no camera time, a point at time 0",
         {Fix(kHere, 0.0), Fix(kThere, At(10, 0))},
         0,
         0,
         0,
         PositionOutcome::Far,
         0,
         0,
         0},
        {"no camera time, a point at the zone's offset",
         {Fix(kHere, 1.0 / 12)},
         0,
         -2,
         0,
         PositionOutcome::Far,
         0,
         0,
         0},
        {"empty track",
         {},
         At(10, 5),
         0,
         0,  //
         PositionOutcome::Empty,
         0,
         0,
         0},
    };
    for (const auto& c : cases) {
        const Placed placed = PlaceOne(Track(c.points), c.cameraTime, c.zone, c.error);
        EXPECT_EQ(placed.result.outcome, c.outcome) << c.name;
        EXPECT_NEAR(placed.photo.latitude, c.latitude, 1e-6) << c.name;
        EXPECT_NEAR(placed.photo.longitude, c.longitude, 1e-6) << c.name;
        EXPECT_NEAR(placed.photo.altitude.value_or(0), c.altitude, 1e-6) << c.name;
        EXPECT_EQ(placed.photo.altitude.has_value(), c.latitude != 0) << c.name;
        EXPECT_EQ(placed.photo.marked, c.latitude != 0) << c.name;
    }
}

TEST(PositionCalculation, givesAnAltitudeOnlyWhereEveryPointUsedHadAnElevation) {
    TrackPoint noElevation = kThere;
    noElevation.hasElevation = false;
    noElevation.elevation = 0;
    const struct {
        const char* name;
        std::vector<TrackPoint> points;
        double cameraTime;
        bool hasAltitude;
    } cases[] = {
        {"both have one", {Fix(kHere, At(10, 0)), Fix(kThere, At(10, 10))}, At(10, 5), true},
        {"the later lacks one",
         {Fix(kHere, At(10, 0)), Fix(noElevation, At(10, 10))},
         At(10, 5),
         false},
        {"the earlier lacks one",
         {Fix(noElevation, At(10, 0)), Fix(kHere, At(10, 10))},
         At(10, 5),
         false},
        {"the one point taken has one", {Fix(kHere, At(10, 0))}, At(10, 5), true},
        {"the one point taken lacks one", {Fix(noElevation, At(10, 0))}, At(10, 5), false},
    };
    for (const auto& c : cases) {
        const Placed placed = PlaceOne(Track(c.points), c.cameraTime, 0, 0);
        EXPECT_TRUE(placed.photo.marked) << c.name;
        EXPECT_EQ(placed.photo.altitude.has_value(), c.hasAltitude) << c.name;
    }
}

TEST(PositionCalculation, takesTheLaterPointWhenBothAreEquallyFar) {
    // Times exact in binary, so that the two distances are equal to the bit.
    const TrackStore track = Track({Fix(kHere, 40000.0), Fix(kThere, 40000.125)});
    MatchThresholds thresholds;
    thresholds.nearestPointLimit = 0.1;
    const Placed placed = PlaceOne(track, 40000.0625, 0, 0, thresholds);
    EXPECT_EQ(placed.result.outcome, PositionOutcome::After);
    EXPECT_EQ(placed.photo.latitude, kThere.latitude);
    EXPECT_EQ(placed.result.nearestDistance, 0.0625);
}

TEST(PositionCalculation, leavesUncheckedPhotosAloneButUnmarkedAndStepsOnlyForCheckedOnes) {
    PhotoList photos;
    photos.records.push_back({"a.jpg", 1, 2, At(10, 5), 3, true, 0});
    photos.records.push_back({"b.jpg", 4, 5, At(10, 5), 6, true, 1});
    photos.records.push_back({"c.jpg", 7, 8, At(18, 0), 9, true, 2});
    RecordingProgress progress;
    const std::vector<PositionResult> results =
        CalculatePositions(photos, Track({Fix(kHere, At(10, 0)), Fix(kThere, At(10, 10))}),
                           TimeAdjustment{}, {true, false, true}, progress);
    EXPECT_EQ(results[1].outcome, PositionOutcome::Unchecked);
    EXPECT_EQ(photos[1].longitude, 4);
    EXPECT_EQ(photos[1].latitude, 5);
    EXPECT_EQ(photos[1].altitude, 6);
    EXPECT_FALSE(photos[1].marked);
    EXPECT_TRUE(photos[0].marked);
    // A position read from the file is cleared when the track has nothing near.
    EXPECT_EQ(results[2].outcome, PositionOutcome::Far);
    EXPECT_EQ(photos[2].longitude, 0);
    EXPECT_EQ(photos[2].latitude, 0);
    EXPECT_FALSE(photos[2].altitude);
    EXPECT_FALSE(photos[2].marked);
    const std::vector<std::string> expected = {"begin:Caclulating positions...:3", "pos:0", "pos:2",
                                               "end"};
    EXPECT_EQ(progress.calls, expected);
}

TEST(PositionCalculation, describesEachOutcomeInOneSentence) {
    const std::vector<TrackPoint> tenMinutes = {Fix(kHere, At(10, 0)), Fix(kThere, At(10, 10))};
    const std::vector<TrackPoint> twoHoursMoving = {Fix(kHere, At(10, 0)), Fix(kThere, At(12, 0))};
    const std::vector<TrackPoint> longGap = {Fix(kHere, At(10, 0)), Fix(kThere, At(15, 2))};
    const struct {
        std::vector<TrackPoint> points;
        double cameraTime;
        const char* text;
    } cases[] = {
        {tenMinutes, At(10, 5), "Interpolated between 10:00:00 and 10:10:00 UTC"},
        {twoHoursMoving, At(10, 5),
         "Position of the track point at 10:00:00 UTC, 5 min before the photo"},
        {tenMinutes, At(9, 55, 30),
         "Position of the track point at 10:00:00 UTC, 4 min 30 s after the photo"},
        {{Fix(kHere, At(10, 0))},
         At(10, 0),
         "Position of the track point at 10:00:00 UTC, the photo's own time"},
        {longGap, At(12, 0), "No position: the track has a gap of 5 h 02 min here"},
        {twoHoursMoving, At(10, 14), "No position: the nearest track point is 14 min away"},
        {tenMinutes, At(16, 40), "No position: the nearest track point is 6 h 30 min away"},
        {{Fix(kHere, 0.0)},
         At(10, 0),
         "No position: no track point could be matched to the photo's time"},
        {{Fix(kHere, 0.0)}, 0.0, "No position: the photo has no capture time"},
        {{}, At(10, 0), "No position: the track is empty"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribePositionResult(PlaceOne(Track(c.points), c.cameraTime).result), c.text);
    }
    EXPECT_EQ(DescribePositionResult(PositionResult{}),
              "Not calculated: the photo was not checked");
}

}  // namespace
}  // namespace geotal
