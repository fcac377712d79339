#include "geotag/PositionCalculation.h"

#include <gtest/gtest.h>

#include <optional>
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
const TrackPoint kHere{180000, 36000, 100, 0};
const TrackPoint kThere{180600, 36600, 200, 0};
// Under one second of arc from kHere in both directions.
const TrackPoint kBesideHere{180000.6, 36000.9, 110, 0};

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

// 0 for no position, as the cases write it.
double Lat(const PhotoRecord& photo) {
    return photo.position ? photo.position->latitude : 0.0;
}
double Lon(const PhotoRecord& photo) {
    return photo.position ? photo.position->longitude : 0.0;
}
std::optional<double> Alt(const PhotoRecord& photo) {
    return photo.position ? photo.position->altitude : std::nullopt;
}

PhotoRecord Photo(const char* name, double latitude, double longitude, double time,
                  double altitude) {
    PhotoRecord photo;
    photo.fileName = name;
    photo.position = GeoPosition{latitude, longitude, altitude, {}};
    // 0 in the tables: the photo gives no capture time.
    if (time != 0) {
        photo.captureTime = time;
    }
    photo.marked = true;
    return photo;
}

struct Placed {
    PhotoRecord photo;
    PositionResult result;
};

// Places one checked photo, which starts with a position of its own.
Placed PlaceOne(const TrackStore& track, double cameraTime, int zone = 0, int error = 0,
                const MatchThresholds& thresholds = {}) {
    PhotoList photos;
    photos.records.push_back(Photo("IMG_0001.JPG", 5678, 1234, cameraTime, 42));
    TimeAdjustment adjustment;
    adjustment.timeZoneOffset = zone;
    adjustment.cameraClockError = error;
    NullProgress progress;
    const std::vector<PositionResult> results =
        CalculatePositions(photos, track, adjustment, progress, thresholds);
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
        EXPECT_NEAR(Lat(placed.photo), c.latitude, 1e-6) << c.name;
        EXPECT_NEAR(Lon(placed.photo), c.longitude, 1e-6) << c.name;
        EXPECT_NEAR(Alt(placed.photo).value_or(0), c.altitude, 1e-6) << c.name;
        EXPECT_EQ(Alt(placed.photo).has_value(), c.latitude != 0) << c.name;
        // A position found carries the photo's moment in UTC, as the time of its fix.
        if (placed.photo.position) {
            EXPECT_EQ(placed.photo.position->fixTime, placed.result.correctedTime) << c.name;
        }
        EXPECT_EQ(placed.photo.marked, c.latitude != 0) << c.name;
    }
}

TEST(PositionCalculation, givesAnAltitudeOnlyWhereEveryPointUsedHadAnElevation) {
    TrackPoint noElevation = kThere;
    noElevation.elevation.reset();
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
        EXPECT_EQ(Alt(placed.photo).has_value(), c.hasAltitude) << c.name;
    }
}

TEST(PositionCalculation, takesTheLaterPointWhenBothAreEquallyFar) {
    // Times exact in binary, so that the two distances are equal to the bit.
    const TrackStore track = Track({Fix(kHere, 40000.0), Fix(kThere, 40000.125)});
    MatchThresholds thresholds;
    thresholds.nearestPointLimit = 0.1;
    const Placed placed = PlaceOne(track, 40000.0625, 0, 0, thresholds);
    EXPECT_EQ(placed.result.outcome, PositionOutcome::After);
    EXPECT_EQ(Lat(placed.photo), kThere.latitude);
    EXPECT_EQ(placed.result.nearestDistance, 0.0625);
}

TEST(PositionCalculation, leavesUncheckedPhotosAloneButUnmarkedAndStepsOnlyForCheckedOnes) {
    PhotoList photos;
    photos.records.push_back(Photo("a.jpg", 2, 1, At(10, 5), 3));
    photos.records.push_back(Photo("b.jpg", 5, 4, At(10, 5), 6));
    photos.records.push_back(Photo("c.jpg", 8, 7, At(18, 0), 9));
    photos[1].marked = false;
    RecordingProgress progress;
    const std::vector<PositionResult> results =
        CalculatePositions(photos, Track({Fix(kHere, At(10, 0)), Fix(kThere, At(10, 10))}),
                           TimeAdjustment{}, progress);
    EXPECT_EQ(results[1].outcome, PositionOutcome::Unchecked);
    EXPECT_EQ(Lon(photos[1]), 4);
    EXPECT_EQ(Lat(photos[1]), 5);
    EXPECT_EQ(Alt(photos[1]), 6);
    EXPECT_FALSE(photos[1].marked);
    EXPECT_TRUE(photos[0].marked);
    // A position read from the file is cleared when the track has nothing near.
    EXPECT_EQ(results[2].outcome, PositionOutcome::Far);
    EXPECT_FALSE(photos[2].position);
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
        // Two trips years apart: the days, not "a gap of 1750 d 00 h".
        {{Fix(kHere, At(10, 0)), Fix(kThere, ToOleDate({2014, 2, 17, 9, 0, 0}))},
         At(12, 0),
         "No position: no track between 2010-05-01 and 2014-02-17"},
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

TEST(PositionCalculation, summarisesACalculationInOneLine) {
    PositionResult interpolated;
    interpolated.outcome = PositionOutcome::Interpolated;
    PositionResult before, after;
    before.outcome = PositionOutcome::Before;
    after.outcome = PositionOutcome::After;
    PositionResult gap;
    gap.outcome = PositionOutcome::Gap;
    gap.beforeTime = At(10, 0);
    gap.afterTime = At(14, 15);
    PositionResult far, noTime;
    far.outcome = noTime.outcome = PositionOutcome::Far;
    noTime.withoutCaptureTime = true;
    const PositionResult unchecked;
    EXPECT_EQ(DescribeCalculation({interpolated, before, after, gap, far, far, noTime, unchecked}),
              "3 of 8 photos placed: 1 interpolated, 2 on the nearest track point; 1 in a gap of "
              "4 h 15 min, 2 too far from the track, 1 without a capture time");
    EXPECT_EQ(DescribeCalculation({gap, gap, unchecked}),
              "0 of 3 photos placed: 2 in gaps of the track");
    EXPECT_EQ(DescribeCalculation({unchecked}), "0 of 1 photos placed");
    EXPECT_EQ(DescribeCalculation({}), "0 of 0 photos placed");
}

}  // namespace
}  // namespace geotal
