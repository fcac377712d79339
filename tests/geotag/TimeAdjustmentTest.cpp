#include "geotag/TimeAdjustment.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <string>
#include <vector>

#include "geotag/PositionCalculation.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

// Runs the body with the process's time zone set to tz, then puts the old one back.
class TimeZone {
public:
    explicit TimeZone(const char* tz) {
        const char* old = ::getenv("TZ");
        hadOld_ = old != nullptr;
        if (hadOld_) {
            old_ = old;
        }
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (hadOld_) {
            ::setenv("TZ", old_.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    bool hadOld_ = false;
    std::string old_;
};

constexpr std::time_t kWinter = 1262347200;  // 2010-01-01 12:00:00 UTC
constexpr std::time_t kSummer = 1277985600;  // 2010-07-01 12:00:00 UTC

TEST(TimeAdjustment, measuresTheLocalOffsetInWholeHoursTruncatedTowardZero) {
    const struct {
        const char* tz;
        std::time_t when;
        int hours;
    } cases[] = {
        {"UTC0", kWinter, 0},
        {"IST-5:30", kWinter, 5},                    // +5:30 gives 5
        {"NST3:30", kWinter, -3},                    // -3:30 gives -3
        {"CET-1CEST,M3.5.0,M10.5.0/3", kWinter, 1},  // standard time
        {"CET-1CEST,M3.5.0,M10.5.0/3", kSummer, 2},  // daylight saving in force
        {"EST5EDT,M3.2.0,M11.1.0", kSummer, -4},
    };
    for (const auto& c : cases) {
        TimeZone zone(c.tz);
        EXPECT_EQ(LocalUtcOffsetHours(c.when), c.hours) << c.tz;
    }
}

TEST(TimeAdjustment, showsTheCameraClockShiftedByZoneDifferenceAndClockError) {
    TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(UtcClockText(kWinter), "12:00:00");
    EXPECT_EQ(LocalClockText(kWinter), "13:00:00");
    TimeAdjustment adjustment;
    adjustment.computerUtcOffset = 1;
    adjustment.timeZoneOffset = 1;
    EXPECT_EQ(CameraClockText(kWinter, adjustment), "13:00:00");
    adjustment.timeZoneOffset = -5;    // the camera still on New York time
    adjustment.cameraClockError = 90;  // and 90 seconds fast
    EXPECT_EQ(CameraClockText(kWinter, adjustment), "07:01:30");
}

TEST(TimeAdjustment, startsWithTheMinutesOfAHalfHourZoneAsCameraClockError) {
    const struct {
        const char* tz;
        std::time_t when;
        int zone, error;
    } cases[] = {
        {"UTC0", kWinter, 0, 0},
        {"IST-5:30", kWinter, 5, 1800},
        {"NPT-5:45", kWinter, 5, 2700},
        {"NST3:30", kWinter, -3, -1800},
        {"MART9:30", kWinter, -9, -1800},
        {"CET-1CEST,M3.5.0,M10.5.0/3", kWinter, 1, 0},
        {"CET-1CEST,M3.5.0,M10.5.0/3", kSummer, 2, 0},
        {"ACST-9:30ACDT,M10.1.0,M4.1.0/3", kWinter, 10, 1800},  // summer in the south
    };
    for (const auto& c : cases) {
        TimeZone zone(c.tz);
        const TimeAdjustment adjustment = StartingTimeAdjustment(c.when);
        EXPECT_EQ(adjustment.timeZoneOffset, c.zone) << c.tz;
        EXPECT_EQ(adjustment.computerUtcOffset, c.zone) << c.tz;
        EXPECT_EQ(adjustment.cameraClockError, c.error) << c.tz;
        // A camera set like the computer shows the computer's local time.
        EXPECT_EQ(CameraClockText(c.when, adjustment), LocalClockText(c.when)) << c.tz;
    }
}

TEST(TimeAdjustment, startingValuesPlaceAPhotoFromAHalfHourZoneAtItsUtcTime) {
    TimeZone zone("IST-5:30");
    TrackStore track;
    track.Append({100.0, 200.0, std::nullopt, ToOleDate({2010, 1, 1, 11, 50, 0})});
    track.Append({700.0, 800.0, std::nullopt, ToOleDate({2010, 1, 1, 12, 10, 0})});
    PhotoList photos;
    // Taken at 17:30 on a camera set to the computer's clock, that is 12:00 UTC.
    PhotoRecord photo;
    photo.fileName = "a.jpg";
    photo.captureTime = ToOleDate({2010, 1, 1, 17, 30, 0});
    photo.marked = true;
    photos.records.push_back(photo);
    NullProgress progress;
    const std::vector<PositionResult> results =
        CalculatePositions(photos, track, StartingTimeAdjustment(kWinter), progress);
    EXPECT_EQ(results[0].outcome, PositionOutcome::Interpolated);
    ASSERT_TRUE(photos[0].position);
    EXPECT_NEAR(photos[0].position->latitude, 400.0, 1e-3);
    EXPECT_NEAR(photos[0].position->longitude, 500.0, 1e-3);
}

}  // namespace
}  // namespace geotal
