#include "geotag/TimeAdjustment.h"

#include "geotag/NamedZone.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

std::string ClockText(const std::tm& t) {
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &t);
    return text;
}

// The computer's offset from UTC in seconds, east positive.
long long LocalUtcOffsetSeconds(std::time_t now) {
    std::tm utc{};
    gmtime_r(&now, &utc);
    // Read the UTC fields back as local time; the difference is the local offset, with the
    // run-time library deciding whether daylight saving applies.
    utc.tm_isdst = -1;
    const std::time_t asLocal = std::mktime(&utc);
    return static_cast<long long>(now) - static_cast<long long>(asLocal);
}

// Truncated toward zero: +5:30 gives 5, -3:30 gives -3.
int WholeHours(long long seconds) {
    return static_cast<int>(seconds / 3600 - (seconds / 86400) * 24);
}

}  // namespace

int LocalUtcOffsetHours(std::time_t now) {
    return WholeHours(LocalUtcOffsetSeconds(now));
}

int LocalUtcOffsetHours() {
    return LocalUtcOffsetHours(std::time(nullptr));
}

TimeAdjustment StartingTimeAdjustment(std::time_t now) {
    const long long offset = LocalUtcOffsetSeconds(now);
    TimeAdjustment adjustment;
    adjustment.timeZoneOffset = WholeHours(offset);
    adjustment.computerUtcOffset = adjustment.timeZoneOffset;
    // The whole hours are what the time zone field can hold; the minutes it cannot are carried
    // by the clock error, or every photo would land 30 or 45 minutes off.
    adjustment.cameraClockError =
        static_cast<int>(offset - static_cast<long long>(adjustment.timeZoneOffset) * 3600);
    return adjustment;
}

TimeAdjustment StartingTimeAdjustment() {
    return StartingTimeAdjustment(std::time(nullptr));
}

std::string LocalClockText(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return ClockText(local);
}

std::string UtcClockText(std::time_t moment) {
    std::tm utc{};
    gmtime_r(&moment, &utc);
    return ClockText(utc);
}

std::string CameraClockText(std::time_t now, const TimeAdjustment& a) {
    // Counted from UTC, not from local time: in a half-hour zone local time is not
    // computerUtcOffset whole hours away from UTC.
    long long zone = static_cast<long long>(a.timeZoneOffset) * 3600;
    if (!a.zoneName.empty()) {
        const double utcDays = kUnixEpochOleDate + static_cast<double>(now) / 86400.0;
        if (const std::optional<ZoneOffset> offset = OffsetAtUtc(a.zoneName, utcDays)) {
            zone = offset->offsetSeconds;
        }
    }
    const long long shift = zone + a.cameraClockError;
    return UtcClockText(now + static_cast<std::time_t>(shift));
}

int DefaultClockError(const TimeAdjustment& adjustment, const std::string& camera) {
    return adjustment.selfSetCameras.count(camera) != 0 ? 0 : adjustment.cameraClockError;
}

long long CameraClockErrorAt(const TimeAdjustment& adjustment, const std::string& camera,
                             double cameraTime) {
    const auto own = adjustment.cameras.find(camera);
    if (own == adjustment.cameras.end() || own->second.IsDefault()) {
        return DefaultClockError(adjustment, camera);
    }
    return ClockErrorAt(own->second.syncPoints, cameraTime, own->second.clockError.value_or(0));
}

}  // namespace geotal
