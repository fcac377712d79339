// How the camera's clock relates to UTC, and the computer's own offset from it.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "geotag/ClockSync.h"

namespace geotal {

// The ranges a user may set: every zone on Earth (Kiribati is +14), and a clock up to two
// years off either way.
constexpr int kMinZoneOffsetHours = -12;
constexpr int kMaxZoneOffsetHours = 14;
constexpr int kMaxClockErrorSeconds = 731 * 86400;

// camera time = UTC + the zone's offset + the clock error. The zone is timeZoneOffset whole
// hours unless a named zone is chosen, and the photo's own recorded offset before either when
// usePhotoZone allows it; the clock error is cameraClockError unless sync points give it.
struct TimeAdjustment {
    int timeZoneOffset = 0;     // hours, east of Greenwich positive
    int cameraClockError = 0;   // seconds the camera ran ahead
    int computerUtcOffset = 0;  // hours, daylight saving included
    std::string zoneName;       // a zone of the tz database; empty: timeZoneOffset
    bool usePhotoZone = true;   // a photo's recorded offset, when well formed, comes first
    std::vector<ClockSyncPoint> syncPoints;  // in camera-time order
};

// The computer's current offset from UTC in whole hours, truncated toward zero (+5:30 gives 5).
int LocalUtcOffsetHours();
int LocalUtcOffsetHours(std::time_t now);

// The values a run starts with: the time zone and the computer's offset in whole hours, and
// the rest of a half- or quarter-hour offset as camera clock error (+5:30 gives 5 h and 1800 s,
// -3:30 gives -3 h and -1800 s), so that the camera time of a camera set like the computer is
// exactly the computer's local time.
TimeAdjustment StartingTimeAdjustment();
TimeAdjustment StartingTimeAdjustment(std::time_t now);

// "HH:MM:SS" of a moment as local time and as UTC.
std::string LocalClockText(std::time_t moment);
std::string UtcClockText(std::time_t moment);

// What the camera's clock shows at this moment (UTC + the zone's offset now + cameraClockError
// seconds), as "HH:MM:SS".
std::string CameraClockText(std::time_t now, const TimeAdjustment& adjustment);

}  // namespace geotal
