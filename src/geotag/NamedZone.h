// Zones of the system's tz database (Europe/Zurich, America/New_York, ...) and their offsets
// from UTC at a given moment.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "photo/PhotoTime.h"

namespace geotal {

struct ZoneOffset {
    int offsetSeconds = 0;  // east positive, summer time included
    bool summerTime = false;
    ZoneReading reading = ZoneReading::Unique;
};

bool IsKnownZone(const std::string& name);

// Every zone and alias of the database, sorted; empty when the database cannot be read.
std::vector<std::string> ZoneNames();

// The offset of the zone at a wall-clock reading (OLE Automation date as the zone's local
// time). In the hour that occurs twice the first occurrence counts; a reading that the zone
// skipped counts with the zone's standard offset. Nothing for an unknown zone.
std::optional<ZoneOffset> OffsetAtWallTime(const std::string& zone, double wallTime);

// The offset of the zone at a UTC moment (OLE Automation date).
std::optional<ZoneOffset> OffsetAtUtc(const std::string& zone, double utc);

}  // namespace geotal
