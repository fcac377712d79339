// How the camera's clock relates to UTC, and the computer's own offset from it.
#pragma once

#include <ctime>
#include <string>

namespace geotal {

// camera time = UTC + timeZoneOffset hours + cameraClockError seconds
struct TimeAdjustment {
    int timeZoneOffset = 0;     // hours, east of Greenwich positive
    int cameraClockError = 0;   // seconds the camera ran ahead
    int computerUtcOffset = 0;  // hours, daylight saving included
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

// What the camera's clock shows at this moment (UTC + timeZoneOffset hours + cameraClockError
// seconds), as "HH:MM:SS".
std::string CameraClockText(std::time_t now, const TimeAdjustment& adjustment);

}  // namespace geotal
