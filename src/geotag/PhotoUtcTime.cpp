#include "geotag/PhotoUtcTime.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "geotag/NamedZone.h"
#include "geotag/UtcOffsetText.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

// The recorded offset in seconds when it may be used; notes in time why it was not.
std::optional<int> UsableRecordedOffset(const PhotoRecord& photo, const TimeAdjustment& adjustment,
                                        PhotoTime* time) {
    if (photo.recordedOffset.empty()) {
        return std::nullopt;
    }
    const std::optional<int> offset = ParseUtcOffsetText(photo.recordedOffset);
    if (adjustment.usePhotoZone && offset) {
        return offset;
    }
    if (time != nullptr) {
        time->unusedOffset = photo.recordedOffset;
        time->offsetMalformed = !offset;
    }
    return std::nullopt;
}

double Shifted(double camera, int offsetSeconds, long long errorSeconds) {
    return camera - (offsetSeconds / 86400.0 + static_cast<double>(errorSeconds) / 86400.0);
}

std::string ClockText(double dayCount) {
    const CalendarTime t = FromOleDate(dayCount);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

}  // namespace

PhotoTime PhotoUtcTime(const PhotoRecord& photo, const TimeAdjustment& adjustment) {
    PhotoTime time;
    if (!photo.captureTime) {
        return time;
    }
    const double camera = *photo.captureTime;
    time.clockErrorSeconds = CameraClockErrorAt(adjustment, photo.camera, camera);
    const long long error = time.clockErrorSeconds;
    // The arithmetic the whole-hour offset has always had, to the last bit.
    time.utc = camera - (adjustment.timeZoneOffset / 24.0 + static_cast<double>(error) / 86400.0);
    time.offsetSeconds = adjustment.timeZoneOffset * 3600;
    time.source = TimeSource::HourOffset;
    if (const std::optional<int> recorded = UsableRecordedOffset(photo, adjustment, &time)) {
        time.source = TimeSource::RecordedOffset;
        time.offsetSeconds = *recorded;
        time.utc = Shifted(camera, *recorded, error);
        return time;
    }
    if (!adjustment.zoneName.empty()) {
        // The zone's offset at the moment the correct clock showed, not the camera's reading.
        const double wall = camera - static_cast<double>(error) / 86400.0;
        if (const std::optional<ZoneOffset> zone = OffsetAtWallTime(adjustment.zoneName, wall)) {
            time.source = TimeSource::NamedZone;
            time.zoneName = adjustment.zoneName;
            time.offsetSeconds = zone->offsetSeconds;
            time.summerTime = zone->summerTime;
            time.reading = zone->reading;
            time.utc = Shifted(camera, zone->offsetSeconds, error);
        }
    }
    return time;
}

ClockSyncPoint SyncPointFor(const PhotoRecord& photo, double trueUtc,
                            const TimeAdjustment& adjustment) {
    int offset = adjustment.timeZoneOffset * 3600;
    if (const std::optional<int> recorded = UsableRecordedOffset(photo, adjustment, nullptr)) {
        offset = *recorded;
    } else if (!adjustment.zoneName.empty()) {
        if (const std::optional<ZoneOffset> zone = OffsetAtUtc(adjustment.zoneName, trueUtc)) {
            offset = zone->offsetSeconds;
        }
    }
    // Camera time = true UTC + offset + error, in whole seconds.
    const double camera = photo.captureTime.value_or(0);
    const long long cameraSeconds = std::llround(camera * 86400.0);
    const long long trueSeconds = std::llround(trueUtc * 86400.0);
    return {camera, cameraSeconds - trueSeconds - offset};
}

double WallTimeToUtc(double wallTime, const TimeAdjustment& adjustment) {
    if (!adjustment.zoneName.empty()) {
        if (const std::optional<ZoneOffset> zone =
                OffsetAtWallTime(adjustment.zoneName, wallTime)) {
            return wallTime - zone->offsetSeconds / 86400.0;
        }
    }
    return wallTime - adjustment.timeZoneOffset / 24.0;
}

std::string ClockErrorText(long long seconds) {
    if (seconds == 0) {
        return "0 s";
    }
    // U+2212, the minus sign, reads better than a hyphen beside the figures.
    std::string text = seconds < 0 ? "\u2212" : "+";
    unsigned long long rest = static_cast<unsigned long long>(seconds < 0 ? -seconds : seconds);
    const struct {
        unsigned long long size;
        const char* unit;
    } units[] = {{86400, "d"}, {3600, "h"}, {60, "min"}, {1, "s"}};
    bool first = true;
    for (const auto& unit : units) {
        if (rest >= unit.size) {
            text += (first ? "" : " ") + std::to_string(rest / unit.size) + " " + unit.unit;
            rest %= unit.size;
            first = false;
        }
    }
    return text;
}

std::string DescribePhotoTime(const PhotoTime& time, const std::optional<double>& captureTime) {
    if (time.source == TimeSource::None || !captureTime) {
        return {};
    }
    std::string text = ClockText(time.utc) + " UTC: " + ClockText(*captureTime) + " with ";
    switch (time.source) {
        case TimeSource::RecordedOffset:
            text += UtcOffsetText(time.offsetSeconds) + " recorded in the photo";
            break;
        case TimeSource::NamedZone:
            text += time.zoneName + (time.summerTime ? ", summer time" : ", standard time");
            if (time.reading == ZoneReading::RepeatedHourFirst) {
                text += " (an hour that occurs twice: the first was taken)";
            } else if (time.reading == ZoneReading::SpringGap) {
                text += " (a time the clocks skipped: read as standard time)";
            }
            break;
        default: {
            const int hours = time.offsetSeconds / 3600;
            text += "the time zone offset " + std::string(hours < 0 ? "\u2212" : "+") +
                    std::to_string(hours < 0 ? -hours : hours) + " h";
            break;
        }
    }
    text += ", clock error " + ClockErrorText(time.clockErrorSeconds);
    const bool blank = time.unusedOffset.find_first_not_of(" :") == std::string::npos;
    if (!time.unusedOffset.empty() && time.offsetMalformed && blank) {
        text += "; the photo leaves its offset from UTC blank, so it was not used";
    } else if (!time.unusedOffset.empty()) {
        text +=
            time.offsetMalformed
                ? "; the offset \"" + time.unusedOffset + "\" in the photo is not ±hh:mm, ignored"
                : "; the offset " + time.unusedOffset + " recorded in the photo was not used";
    }
    return text;
}

}  // namespace geotal
