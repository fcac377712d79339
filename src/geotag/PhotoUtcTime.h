// A photo's camera time turned into its UTC moment: with the offset the photo records, a named
// zone's offset at that moment, or the whole-hour offset; less the camera's clock error.
#pragma once

#include <optional>
#include <string>

#include "geotag/TimeAdjustment.h"
#include "photo/PhotoList.h"

namespace geotal {

// The photo's UTC moment and where its offset came from. Without a recorded offset in use, a
// named zone or sync points, utc is exactly captureTime - (timeZoneOffset / 24 +
// cameraClockError / 86400). A photo without a capture time gets the source None.
PhotoTime PhotoUtcTime(const PhotoRecord& photo, const TimeAdjustment& adjustment);

// What the photo says about its clock when it shows trueUtc: its camera time and the clock
// error that makes the photo's moment trueUtc, in the photo's own zone as PhotoUtcTime would
// choose it. The adjustment's own clock error and sync points play no part. For a photo
// with a capture time only: the sync is with that reading.
ClockSyncPoint SyncPointFor(const PhotoRecord& photo, double trueUtc,
                            const TimeAdjustment& adjustment);

// A wall-clock reading in the adjustment's zone (the named zone, else the whole hours) as UTC;
// the first of a doubled hour, the standard offset in a skipped one.
double WallTimeToUtc(double wallTime, const TimeAdjustment& adjustment);

// "12:03:10 UTC: 14:02:33 with +02:00 recorded in the photo, clock error −37 s", or with
// "Europe/Zurich, summer time" or "the time zone offset +2 h"; empty for the source None.
std::string DescribePhotoTime(const PhotoTime& time, const std::optional<double>& captureTime);

// A clock error as "−37 s", "+1 d 2 h 3 min 4 s", "0 s".
std::string ClockErrorText(long long seconds);

}  // namespace geotal
