#include "geotag/NamedZone.h"

#include <date/tz.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace geotal {
namespace {

const date::time_zone* Find(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    try {
        return date::locate_zone(name);
    } catch (...) {
        // An unknown name, or no readable database at all.
        return nullptr;
    }
}

// Seconds since 1899-12-30 00:00, the start of the OLE Automation day count.
std::chrono::seconds SinceOleEpoch(double days) {
    return std::chrono::seconds(std::llround(days * 86400.0));
}

const date::days kOleEpochDays = date::sys_days(date::year{1899} / 12 / 30).time_since_epoch();

ZoneOffset FromInfo(const date::sys_info& info, ZoneReading reading) {
    return {static_cast<int>(info.offset.count()), info.save != std::chrono::minutes(0), reading};
}

}  // namespace

bool IsKnownZone(const std::string& name) {
    return Find(name) != nullptr;
}

std::vector<std::string> ZoneNames() {
    std::vector<std::string> names;
    try {
        const date::tzdb& database = date::get_tzdb();
        // Read from the system's zoneinfo files, aliases are zones of their own here.
        for (const date::time_zone& zone : database.zones) {
            names.emplace_back(zone.name());
        }
    } catch (...) {
        return {};
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::optional<ZoneOffset> OffsetAtWallTime(const std::string& name, double wallTime) {
    const date::time_zone* zone = Find(name);
    if (zone == nullptr) {
        return std::nullopt;
    }
    const date::local_seconds wall{kOleEpochDays + SinceOleEpoch(wallTime)};
    const date::local_info info = zone->get_info(wall);
    switch (info.result) {
        case date::local_info::ambiguous:
            // The earlier of the two: the camera most likely still showed summer time.
            return FromInfo(info.first, ZoneReading::RepeatedHourFirst);
        case date::local_info::nonexistent:
            // No clock showed this time; a camera that was not moved on still ran on standard
            // time, so that is the reading that puts the photo where it was taken.
            return FromInfo(info.first.save == std::chrono::minutes(0) ? info.first : info.second,
                            ZoneReading::SpringGap);
        default:
            return FromInfo(info.first, ZoneReading::Unique);
    }
}

std::optional<ZoneOffset> OffsetAtUtc(const std::string& name, double utc) {
    const date::time_zone* zone = Find(name);
    if (zone == nullptr) {
        return std::nullopt;
    }
    const date::sys_seconds moment{kOleEpochDays + SinceOleEpoch(utc)};
    return FromInfo(zone->get_info(moment), ZoneReading::Unique);
}

}  // namespace geotal
