// Which UTC moment a photo was placed at, and where the offset from its camera time came from.
#pragma once

#include <string>

namespace geotal {

enum class TimeSource {
    None,            // not calculated, or the photo has no capture time
    HourOffset,      // the whole-hour offset of the time adjustments
    NamedZone,       // a zone of the tz database, at the photo's moment
    RecordedOffset,  // the offset the photo itself records (OffsetTimeOriginal or OffsetTime)
};

// How the camera's wall time fell in a named zone.
enum class ZoneReading {
    Unique,
    RepeatedHourFirst,  // the hour that occurs twice in autumn: the first occurrence was taken
    SpringGap,          // a time the zone skipped: read with the zone's standard offset
};

struct PhotoTime {
    TimeSource source = TimeSource::None;
    double utc = 0;                   // OLE Automation date in UTC
    int offsetSeconds = 0;            // offset from UTC used, east positive
    long long clockErrorSeconds = 0;  // how far the camera's clock ran ahead
    std::string zoneName;             // NamedZone: the zone
    bool summerTime = false;          // NamedZone: daylight saving time was in force
    ZoneReading reading = ZoneReading::Unique;
    // A recorded offset that was not used, as the file holds it, and why.
    std::string unusedOffset;
    bool offsetMalformed = false;

    friend bool operator==(const PhotoTime&, const PhotoTime&) = default;
};

}  // namespace geotal
