#include "geotag/CameraClocks.h"
#include "geotag/PhotoUtcTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "geotag/ClockErrorText.h"
#include "geotag/NamedZone.h"
#include "geotag/PositionCalculation.h"
#include "geotag/UtcOffsetText.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

double At(int year, int month, int day, int hour, int minute, int second = 0) {
    return ToOleDate({year, month, day, hour, minute, second});
}

PhotoRecord Photo(double cameraTime, const std::string& recordedOffset = {}) {
    PhotoRecord photo;
    photo.fileName = "IMG_0001.JPG";
    photo.captureTime = cameraTime;
    photo.recordedOffset = recordedOffset;
    photo.marked = true;
    return photo;
}

TimeAdjustment Zone(const std::string& name, int hours = 0, int error = 0) {
    TimeAdjustment adjustment;
    adjustment.zoneName = name;
    adjustment.timeZoneOffset = hours;
    adjustment.cameraClockError = error;
    return adjustment;
}

// Whole seconds between two day counts.
long long SecondsBetween(double a, double b) {
    return std::llround((a - b) * 86400.0);
}

TEST(PhotoUtcTime, takesEachPhotosOffsetFromItsRecordTheNamedZoneOrTheHours) {
    const struct {
        const char* what;
        double camera;
        const char* recorded;
        TimeAdjustment adjustment;
        double utc;
        TimeSource source;
        ZoneReading reading;
        bool summer;
    } cases[] = {
        {"March in Zurich", At(2023, 3, 20, 12, 0), "", Zone("Europe/Zurich"),
         At(2023, 3, 20, 11, 0), TimeSource::NamedZone, ZoneReading::Unique, false},
        {"July in Zurich", At(2023, 7, 15, 14, 0), "", Zone("Europe/Zurich"),
         At(2023, 7, 15, 12, 0), TimeSource::NamedZone, ZoneReading::Unique, true},
        {"the doubled autumn hour takes the first", At(2023, 10, 29, 2, 30), "",
         Zone("Europe/Zurich"), At(2023, 10, 29, 0, 30), TimeSource::NamedZone,
         ZoneReading::RepeatedHourFirst, true},
        {"the skipped spring hour reads as standard time", At(2023, 3, 26, 2, 30), "",
         Zone("Europe/Zurich"), At(2023, 3, 26, 1, 30), TimeSource::NamedZone,
         ZoneReading::SpringGap, false},
        {"New York in summer", At(2023, 7, 4, 8, 0), "", Zone("America/New_York"),
         At(2023, 7, 4, 12, 0), TimeSource::NamedZone, ZoneReading::Unique, true},
        {"a clock 20 min fast, its true time still in summer time", At(2023, 10, 29, 2, 10), "",
         Zone("Europe/Zurich", 0, 1200), At(2023, 10, 28, 23, 50), TimeSource::NamedZone,
         ZoneReading::Unique, true},
        {"the recorded offset comes before the zone", At(2023, 7, 15, 14, 0), "+05:30",
         Zone("Europe/Zurich"), At(2023, 7, 15, 8, 30), TimeSource::RecordedOffset,
         ZoneReading::Unique, false},
        {"and before the hours, the clock error still applies", At(2023, 7, 15, 14, 0), "-04:00",
         Zone("", 2, -37), At(2023, 7, 15, 18, 0, 37), TimeSource::RecordedOffset,
         ZoneReading::Unique, false},
        {"a malformed offset is ignored", At(2023, 7, 15, 14, 0), "+2:00", Zone("", 1),
         At(2023, 7, 15, 13, 0), TimeSource::HourOffset, ZoneReading::Unique, false},
    };
    for (const auto& c : cases) {
        const PhotoTime time = PhotoUtcTime(Photo(c.camera, c.recorded), c.adjustment);
        EXPECT_EQ(SecondsBetween(time.utc, c.utc), 0) << c.what;
        EXPECT_EQ(time.source, c.source) << c.what;
        EXPECT_EQ(time.reading, c.reading) << c.what;
        EXPECT_EQ(time.summerTime, c.summer) << c.what;
    }
}

TEST(PhotoUtcTime, keepsTheWholeHourArithmeticToTheBitWithoutZoneOrRecord) {
    for (int zone : {-12, -3, 0, 2, 14}) {
        for (int error : {-kMaxClockErrorSeconds, -37, 0, 3600, kMaxClockErrorSeconds}) {
            const double camera = At(2010, 5, 1, 12, 5, 7);
            const PhotoTime time = PhotoUtcTime(Photo(camera), Zone("", zone, error));
            EXPECT_EQ(time.utc, camera - (zone / 24.0 + error / 86400.0)) << zone << " " << error;
            EXPECT_EQ(time.source, TimeSource::HourOffset);
        }
    }
}

TEST(PhotoUtcTime, leavesTheRecordedOffsetAsideWhenTheUserSaysSo) {
    TimeAdjustment adjustment = Zone("", 1);
    adjustment.usePhotoZone = false;
    const PhotoTime time = PhotoUtcTime(Photo(At(2023, 7, 15, 14, 0), "+02:00"), adjustment);
    EXPECT_EQ(time.source, TimeSource::HourOffset);
    EXPECT_EQ(time.unusedOffset, "+02:00");
    EXPECT_FALSE(time.offsetMalformed);
}

TEST(PhotoUtcTime, saysWhereTheMomentCameFrom) {
    const struct {
        double camera;
        const char* recorded;
        TimeAdjustment adjustment;
        const char* text;
    } cases[] = {
        {At(2023, 7, 15, 14, 2, 33), "+02:00", Zone("", 1, -37),
         "12:03:10 UTC: 14:02:33 with +02:00 recorded in the photo, clock error \u221237 s"},
        {At(2023, 7, 15, 14, 0), "", Zone("Europe/Zurich"),
         "12:00:00 UTC: 14:00:00 with Europe/Zurich, summer time, clock error 0 s"},
        {At(2023, 3, 26, 2, 30), "", Zone("Europe/Zurich"),
         "01:30:00 UTC: 02:30:00 with Europe/Zurich, standard time (a time the clocks skipped: "
         "read as standard time), clock error 0 s"},
        {At(2023, 7, 15, 14, 0), "14:00", Zone("", -3, 90061),
         "15:58:59 UTC: 14:00:00 with the time zone offset \u22123 h, clock error +1 d 1 h 1 min "
         "1 s; the offset \"14:00\" in the photo is not \u00b1hh:mm, ignored"},
        {At(2023, 7, 15, 14, 0), "Z", Zone("", 1),
         "13:00:00 UTC: 14:00:00 with the time zone offset +1 h, clock error 0 s; the offset "
         "\"Z\" in the photo is not \u00b1hh:mm, ignored"},
        {At(2023, 7, 15, 14, 0), "   :  ", Zone("", 1),
         "13:00:00 UTC: 14:00:00 with the time zone offset +1 h, clock error 0 s; the photo "
         "leaves its offset from UTC blank, so it was not used"},
    };
    for (const auto& c : cases) {
        const PhotoRecord photo = Photo(c.camera, c.recorded);
        EXPECT_EQ(DescribePhotoTime(PhotoUtcTime(photo, c.adjustment), photo.captureTime), c.text);
    }
}

TEST(UtcOffsetText, readsOnlyTheSignedHoursAndMinutesForm) {
    const struct {
        const char* text;
        std::optional<int> seconds;
    } cases[] = {
        {"+02:00", 7200}, {"-05:30", -19800}, {"+00:00", 0}, {"+14:00", 50400},
        {"+14:01", {}},   {"+02:60", {}},     {"+2:00", {}}, {"02:00", {}},
        {"+0200", {}},    {"+02:00 ", {}},    {"", {}},      {"   :  ", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseUtcOffsetText(c.text), c.seconds) << c.text;
    }
    EXPECT_EQ(UtcOffsetText(-19800), "-05:30");
    EXPECT_EQ(UtcOffsetText(3600), "+01:00");
}

TEST(ClockSync, followsOneTwoOrMoreSyncPointsInCameraTime) {
    const double day = At(2023, 7, 1, 0, 0);
    const std::vector<ClockSyncPoint> none;
    const std::vector<ClockSyncPoint> one = {{day, -37}};
    // A camera that gains 10 s a day, synchronised twice.
    const std::vector<ClockSyncPoint> two = {{day, 0}, {day + 2, 20}};
    const std::vector<ClockSyncPoint> three = {{day, 0}, {day + 2, 20}, {day + 4, 0}};
    const struct {
        const std::vector<ClockSyncPoint>* points;
        double camera;
        long long error;
    } cases[] = {
        {&none, day, 99},      {&one, day - 100, -37}, {&one, day + 100, -37}, {&two, day, 0},
        {&two, day + 1, 10},   {&two, day + 2, 20},    {&two, day - 1, -10},   {&two, day + 5, 50},
        {&three, day + 3, 10}, {&three, day + 6, -20}, {&three, day + 0.5, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockErrorAt(*c.points, c.camera, 99), c.error) << c.camera - day;
    }
    // A line through two points a second apart, followed for a century, stays a number.
    const std::vector<ClockSyncPoint> steep = {{day, 0}, {day + 1.0 / 86400, 86400}};
    EXPECT_EQ(ClockErrorAt(steep, day + 36500, 0), 1000000000000LL);
}

TEST(ClockSync, describesTheDriftOnlyForSeveralPoints) {
    const double day = At(2023, 7, 1, 9, 30);
    EXPECT_EQ(DriftDescription({}), "");
    EXPECT_EQ(DriftDescription({{day, -37}}), "");
    EXPECT_EQ(DriftDescription({{day, -37}, {day + 2, 20}}),
              "The clock error follows the camera's drift between 2 synchronised photos: "
              "2023-07-01 09:30:00 \u2212"
              "37 s, 2023-07-03 09:30:00 +20 s. A value typed here "
              "replaces them.");
}

TEST(ClockSync, keepsPointsInOrderAndReplacesOneAtTheSameCameraTime) {
    std::vector<ClockSyncPoint> points;
    AddSyncPoint(points, {3, 30});
    AddSyncPoint(points, {1, 10});
    AddSyncPoint(points, {2, 20});
    AddSyncPoint(points, {2, 25});
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].clockErrorSeconds, 10);
    EXPECT_EQ(points[1].clockErrorSeconds, 25);
    EXPECT_EQ(points[2].clockErrorSeconds, 30);
}

TEST(ClockSync, aSyncPhotoLandsAtTheTimeItShowsInItsOwnZone) {
    const double trueUtc = At(2023, 7, 15, 12, 3, 10);
    const struct {
        const char* what;
        PhotoRecord photo;
        TimeAdjustment adjustment;
        long long error;
    } cases[] = {
        {"recorded offset", Photo(At(2023, 7, 15, 14, 2, 33), "+02:00"), Zone("", 5), -37},
        {"named zone", Photo(At(2023, 7, 15, 14, 4, 10)), Zone("Europe/Zurich"), 60},
        {"hours, a day and AM/PM off", Photo(At(2023, 7, 17, 1, 3, 10)), Zone("", 1), 129600},
    };
    for (const auto& c : cases) {
        const ClockSyncPoint point = SyncPointFor(c.photo, trueUtc, c.adjustment);
        EXPECT_EQ(point.clockErrorSeconds, c.error) << c.what;
        TimeAdjustment synced = c.adjustment;
        synced.cameras[c.photo.camera].syncPoints = {point};
        EXPECT_EQ(SecondsBetween(PhotoUtcTime(c.photo, synced).utc, trueUtc), 0) << c.what;
    }
}

// Each camera keeps its own clock: a phone beside a camera an hour slow is not moved an hour,
// a camera synchronised with a clock is moved by its sync alone, and with one camera the
// error typed is meant for it, whatever its photos record.
TEST(CameraClock, givesEachCameraItsOwnClockErrorAndThePhoneItsOwnRightClock) {
    PhotoList photos;
    const auto add = [&photos](const char* camera, const char* offset) {
        PhotoRecord photo = Photo(At(2023, 7, 15, 14, 0), offset);
        photo.camera = camera;
        photos.records.push_back(photo);
        return photo;
    };
    const PhotoRecord canon = add("Canon EOS 40D", "");
    const PhotoRecord phone = add("Apple iPhone 7", "+02:00");
    add("Apple iPhone 7", "+02:00");
    const PhotoRecord nikon = add("NIKON D5300", "");
    TimeAdjustment adjustment = Zone("", 2, -3600);
    FindSelfSetCameras(photos, adjustment);
    EXPECT_EQ(adjustment.selfSetCameras, std::set<std::string>{"Apple iPhone 7"});
    EXPECT_EQ(PhotoUtcTime(canon, adjustment).clockErrorSeconds, -3600);
    EXPECT_EQ(PhotoUtcTime(phone, adjustment).clockErrorSeconds, 0);
    EXPECT_EQ(SecondsBetween(PhotoUtcTime(phone, adjustment).utc, At(2023, 7, 15, 12, 0)), 0);

    adjustment.cameras["NIKON D5300"].clockError = 30;
    adjustment.cameras["Canon EOS 40D"].syncPoints = {{*canon.captureTime, -3540}};
    adjustment.cameras["Apple iPhone 7"].clockError = 5;  // given: the phone was off after all
    EXPECT_EQ(PhotoUtcTime(nikon, adjustment).clockErrorSeconds, 30);
    EXPECT_EQ(PhotoUtcTime(canon, adjustment).clockErrorSeconds, -3540);
    EXPECT_EQ(PhotoUtcTime(phone, adjustment).clockErrorSeconds, 5);
    EXPECT_EQ(DescribeCameraClock(adjustment, "Canon EOS 40D"), "a sync photo");
    EXPECT_EQ(DescribeCameraClock(adjustment, "NIKON D5300"), "typed for it");

    PhotoList phoneOnly;
    phoneOnly.records = {phone};
    TimeAdjustment alone = Zone("", 2, -3600);
    FindSelfSetCameras(phoneOnly, alone);
    EXPECT_TRUE(alone.selfSetCameras.empty());
    EXPECT_EQ(PhotoUtcTime(phone, alone).clockErrorSeconds, -3600);
}

TEST(CameraClock, findsTheCamerasATypedNameMeans) {
    const std::vector<CameraSummary> cameras = {
        {"Canon EOS 5D Mark III #033024001432", 3, false},
        {"Canon EOS 5D Mark III #1", 1, false},
        {"Apple iPhone 7", 2, true},
        {"", 1, false},
    };
    EXPECT_EQ(CamerasNamed(cameras, "canon  eos 5d mark iii"),
              (std::vector<std::string>{"Canon EOS 5D Mark III #033024001432",
                                        "Canon EOS 5D Mark III #1"}));
    EXPECT_EQ(CamerasNamed(cameras, "Canon EOS 5D Mark III #1"),
              std::vector<std::string>{"Canon EOS 5D Mark III #1"});
    EXPECT_EQ(CamerasNamed(cameras, " Apple iPhone 7 "),
              std::vector<std::string>{"Apple iPhone 7"});
    EXPECT_TRUE(CamerasNamed(cameras, "Apple").empty());
    EXPECT_TRUE(CamerasNamed(cameras, "").empty());
}

TEST(CameraClock, saysWhenSyncPhotosImplyAClockNoCameraHas) {
    const double day = At(2023, 7, 15, 12, 0);
    EXPECT_EQ(ImplausibleDrift({{day, 60}, {day + 2, 180}}), "");                // a minute a day
    EXPECT_EQ(ImplausibleDrift({{day, 60}, {day + 1.0 / 86400 * 30, 64}}), "");  // typing
    EXPECT_EQ(ImplausibleDrift({{day, 60}, {day + 1, 60 + 2 * 3600}}),
              "The sync photos say the camera clock went from +1 min to +2 h 1 min off, 7200 s a "
              "day: no camera clock drifts so fast. Is one of the times typed wrong?");
}

TEST(ClockSync, readsATypedWallTimeInTheChosenZone) {
    EXPECT_EQ(SecondsBetween(WallTimeToUtc(At(2023, 7, 15, 14, 0), Zone("Europe/Zurich")),
                             At(2023, 7, 15, 12, 0)),
              0);
    EXPECT_EQ(SecondsBetween(WallTimeToUtc(At(2023, 1, 15, 14, 0), Zone("Europe/Zurich")),
                             At(2023, 1, 15, 13, 0)),
              0);
    EXPECT_EQ(
        SecondsBetween(WallTimeToUtc(At(2023, 7, 15, 14, 0), Zone("", -5)), At(2023, 7, 15, 19, 0)),
        0);
}

TEST(NamedZone, knowsTheDatabasesZonesAndNoOthers) {
    EXPECT_TRUE(IsKnownZone("Europe/Zurich"));
    EXPECT_TRUE(IsKnownZone("Pacific/Kiritimati"));
    EXPECT_FALSE(IsKnownZone("Europe/Atlantis"));
    EXPECT_FALSE(IsKnownZone(""));
    const std::vector<std::string> names = ZoneNames();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_NE(std::find(names.begin(), names.end(), "America/New_York"), names.end());
}

// A folder spanning the spring change: two photos at noon on the camera, one in each season.
TEST(PositionCalculationWithZones, placesPhotosOnEachSideOfTheSummerTimeChange) {
    TrackStore track;
    track.Append({180000, 36000, 100, At(2023, 3, 20, 10, 55)});
    track.Append({180600, 36600, 200, At(2023, 3, 20, 11, 5)});
    track.Append({180000, 36000, 100, At(2023, 4, 2, 9, 55)});
    track.Append({180600, 36600, 200, At(2023, 4, 2, 10, 5)});
    PhotoList photos;
    photos.records = {Photo(At(2023, 3, 20, 12, 0)), Photo(At(2023, 4, 2, 12, 0))};
    NullProgress progress;

    const std::vector<PositionResult> zoned =
        CalculatePositions(photos, track, Zone("Europe/Zurich"), progress);
    EXPECT_EQ(zoned[0].outcome, PositionOutcome::Interpolated);
    EXPECT_EQ(zoned[1].outcome, PositionOutcome::Interpolated);
    EXPECT_EQ(photos[1].time.source, TimeSource::NamedZone);
    EXPECT_TRUE(photos[1].time.summerTime);

    // With one offset for the whole folder the April photo is an hour off its point.
    for (PhotoRecord& photo : photos.records) {
        photo.marked = true;
    }
    const std::vector<PositionResult> hours =
        CalculatePositions(photos, track, Zone("", 1), progress);
    EXPECT_EQ(hours[0].outcome, PositionOutcome::Interpolated);
    EXPECT_EQ(hours[1].outcome, PositionOutcome::Far);
}

TEST(ClockErrorText, readsSecondsOrDaysHoursMinutesAndSeconds) {
    const struct {
        const char* text;
        std::optional<int> seconds;
    } cases[] = {
        {"-37", -37},
        {" +90061 ", 90061},
        {"1d 2h 3m 4s", 93784},
        {"-2 d 12 h", -216000},
        {"\u22121 d 1 h 1 min 1 s", -90061},
        {"12h", 43200},
        {"731d", kMaxClockErrorSeconds},
        {"732d", {}},
        {"63158401", {}},
        {"2h 1d", {}},
        {"1d 1d", {}},
        {"1x", {}},
        {"", {}},
        {"-", {}},
        {"1.5", {}},
        {"99999999999999999999", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseClockErrorText(c.text), c.seconds) << c.text;
    }
    for (long long seconds : {-90061LL, 0LL, 37LL, 63158400LL}) {
        EXPECT_EQ(ParseClockErrorText(ClockErrorText(seconds)), seconds) << seconds;
    }
}

}  // namespace
}  // namespace geotal
