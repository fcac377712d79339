// The GPS tags of a position, made once for EXIF and XMP alike: what to set and what to take out.
#pragma once

#include <cstdint>
#include <optional>

#include "metadata/GpsChange.h"
#include "support/DateTime.h"
#include "support/GeoPosition.h"

namespace geotal {

// One coordinate in seconds of arc split into whole degrees, whole minutes and seconds.
struct DmsParts {
    double degrees = 0, minutes = 0, seconds = 0;
};

// Splits a value that is not negative by truncation, never rounding up into the next minute.
DmsParts SplitDms(double secondsOfArc);

// The largest altitude, above or below sea level, that EXIF's unsigned fraction can hold.
inline constexpr double kLargestAltitude = 4294967295.0;

// An unsigned fraction as EXIF holds it, to a millionth where it fits and in lowest terms;
// false for a value below zero, not finite or too large.
bool ToUnsignedRational(double value, std::uint32_t& numerator, std::uint32_t& denominator);

// A fix time a file can hold: a real moment of a year from 1 to 9999, to the second below.
// None for no fix time, and for the zero an unset moment would give.
std::optional<CalendarTime> FixStamp(std::optional<double> fixTime);

// The GPS tags that describe the fix a position came from rather than the place or the camera:
// the receiver's state and accuracy (satellites, status, measure mode, DOP, differential,
// positioning error, how it was processed), its motion (speed, track), the datum of its
// coordinates, an area's name and a destination measured from it. Beside a new position they
// would describe a fix the photo no longer has. The image direction describes the camera and
// stays, as do tags beyond the standard's, whose meaning is not known here.
inline constexpr std::uint16_t kOldFixTags[] = {8,  9,  10, 11, 12, 13, 14, 15, 18, 19, 20,
                                                21, 22, 23, 24, 25, 26, 27, 28, 30, 31};

// The GPS tags of a position, by EXIF tag number: the version, latitude and longitude with
// their hemispheres, the altitude with its reference when it has one, the fix's UTC time and
// date when it has one. Taken out: an altitude or fix time it has none of (they belonged to the
// old position), and every tag describing the old fix rather than the place or the camera.
// Seconds are held to a millionth, counted in whole units so they never round up to 60.
GpsChange GpsChangeFor(const GeoPosition& position);

// The removal of a position: no tag set, and every tag GpsChangeFor sets or takes out taken out
// (the version, the place, the altitude, the fix's time and the old fix's description). The
// image direction and tags beyond the standard's stay, as a position's write leaves them, with
// the version EXIF requires beside them; a GPS directory left with nothing goes with its
// pointer.
GpsChange GpsRemoval();

// GpsChangeFor for a position, GpsRemoval for none.
GpsChange GpsChangeFor(const MaybePosition& position);

}  // namespace geotal
