// Letting only real fixes into the track store, and saying once per file what was left out.
#pragma once

#include <optional>
#include <string>

#include "track/TrackStore.h"

namespace geotal {

// The points of one file that did not reach the store, by reason.
struct SkippedPoints {
    int withoutPosition = 0;  // no lat or no lon attribute, or exactly 0/0
    int withoutTime = 0;      // no time, or one that cannot be read
    int offGlobe = 0;         // latitude beyond ±90°, longitude beyond ±180°, or not a number

    int Total() const { return withoutPosition + withoutTime + offGlobe; }
};

// Stands between a reader and the store. A point that was never a fix (a position the file
// does not give, a time that cannot be read, a place off the globe) would otherwise be handed
// to a photo as if the device had been there.
class TrackPointGate {
public:
    explicit TrackPointGate(TrackStore& store) : store_(store) {}

    // Appends the point (seconds of arc, day count) when hasPosition and it has a time other
    // than 0, lies on the globe and is not exactly 0/0, which means "no position" everywhere
    // in the program; otherwise counts it under the first reason that applies. Answers whether
    // the point was appended.
    bool Offer(const TrackPoint& point, bool hasPosition = true);

    // The same for a fix as most formats give it: degrees, each part only where the file had
    // it. Without both coordinates the point has no position.
    bool OfferFix(std::optional<double> latitude, std::optional<double> longitude,
                  std::optional<double> elevation, double time);

    const SkippedPoints& skipped() const { return skipped_; }

private:
    TrackStore& store_;
    SkippedPoints skipped_;
};

// One trace line for a file that lost points, such as
// "  Skipped 3 points of /x/a.gpx: 1 without a position, 2 without a readable time, 0 off the
// globe"; nothing when every point was kept.
void TraceSkippedPoints(const std::string& path, const SkippedPoints& skipped);

}  // namespace geotal
