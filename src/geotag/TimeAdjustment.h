// How the camera's clock relates to UTC, and the computer's own offset from it.
#pragma once

#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "geotag/ClockSync.h"

namespace geotal {

// The ranges a user may set: every zone on Earth (Kiribati is +14), and a clock up to two
// years off either way.
constexpr int kMinZoneOffsetHours = -12;
constexpr int kMaxZoneOffsetHours = 14;
constexpr int kMaxClockErrorSeconds = 731 * 86400;

// One camera's clock where it is not the default's: an error given for it, or photos of it that
// show a known time (a GPS or phone screen), which then decide.
struct CameraClock {
    std::optional<int> clockError;           // seconds ahead
    std::vector<ClockSyncPoint> syncPoints;  // in camera-time order

    bool IsDefault() const { return !clockError && syncPoints.empty(); }
    friend bool operator==(const CameraClock&, const CameraClock&) = default;
};

// camera time = UTC + the zone's offset + the clock error. The zone is timeZoneOffset whole
// hours unless a named zone is chosen, and the photo's own recorded offset before either when
// usePhotoZone allows it. The clock error is each camera's own (CameraClockErrorAt): its sync
// points, else its given error, else the default cameraClockError (0 for a camera that keeps
// its own clock right, in selfSetCameras).
struct TimeAdjustment {
    int timeZoneOffset = 0;     // hours, east of Greenwich positive
    int cameraClockError = 0;   // seconds ahead, for every camera without its own
    int computerUtcOffset = 0;  // hours, daylight saving included
    std::string zoneName;       // a zone of the tz database; empty: timeZoneOffset
    bool usePhotoZone = true;   // a photo's recorded offset, when well formed, comes first
    // By camera name as the photo list gives it (PhotoRecord::camera; empty: none named).
    std::map<std::string, CameraClock> cameras;
    // Cameras that keep their clock right by themselves: among several cameras of a folder,
    // those whose every photo records its offset from UTC, as phones do.
    std::set<std::string> selfSetCameras;
};

// The clock error of a photo of that camera at its camera time, whole seconds.
long long CameraClockErrorAt(const TimeAdjustment& adjustment, const std::string& camera,
                             double cameraTime);

// The default a camera without its own clock error takes: 0 for a camera that sets its own
// clock, else the adjustment's cameraClockError.
int DefaultClockError(const TimeAdjustment& adjustment, const std::string& camera);

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
