#include "geotag/TimeAdjustment.h"

namespace geotal {
namespace {

std::string ClockText(const std::tm& t) {
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &t);
    return text;
}

}  // namespace

int LocalUtcOffsetHours(std::time_t now) {
    std::tm utc{};
    gmtime_r(&now, &utc);
    // Read the UTC fields back as local time; the difference is the local offset, with the
    // run-time library deciding whether daylight saving applies.
    utc.tm_isdst = -1;
    const std::time_t asLocal = std::mktime(&utc);
    const long long d = static_cast<long long>(now) - static_cast<long long>(asLocal);
    return static_cast<int>(d / 3600 - (d / 86400) * 24);
}

int LocalUtcOffsetHours() {
    return LocalUtcOffsetHours(std::time(nullptr));
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
    const long long shift =
        static_cast<long long>(a.timeZoneOffset - a.computerUtcOffset) * 3600 + a.cameraClockError;
    return LocalClockText(now + static_cast<std::time_t>(shift));
}

}  // namespace geotal
