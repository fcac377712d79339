// Placing photos on the track: each checked photo's time, turned into UTC, against the track
// points just before and after it.
#pragma once

#include <string>
#include <vector>

#include "geotag/TimeAdjustment.h"
#include "photo/PhotoList.h"
#include "support/Progress.h"
#include "track/TrackStore.h"

namespace geotal {

// The four matching thresholds: time gaps in days, the stationary tolerance in seconds of arc.
struct MatchThresholds {
    double shortGap = 0.0208;           // a shorter gap between the two points is interpolated
    double longGap = 0.1667;            // a gap at least this long gives no position
    double stationaryTolerance = 1.0;   // points closer than this in both axes did not move
    double nearestPointLimit = 0.0069;  // a single point is taken only when closer in time
};

enum class PositionOutcome { Unchecked, Interpolated, Before, After, Gap, Far, Empty };

struct PositionResult {
    PositionOutcome outcome = PositionOutcome::Unchecked;
    double correctedTime = 0;  // the photo's time in UTC (day count)
    double beforeTime = 0;     // time of the before point found (0 when none)
    double afterTime = 0;      // time of the after point found (0 when none)
    // Store indices of the points found, -1 when none. Both stay set when one of them was
    // dropped for being the farther one in a medium gap.
    int beforeIndex = -1;
    int afterIndex = -1;
    // Before, After and Far: days between the photo and the point that was left; 0 otherwise.
    double nearestDistance = 0;
    // Far because the photo has no capture time: no track point was looked for.
    bool withoutCaptureTime = false;
};

// The marks say which photos to place. For each photo i: marked := false; an unchecked photo keeps
// its position (outcome Unchecked); a checked one gets an interpolated position, the position of
// the one track point near it, or none, and is marked exactly when it got a position; a position
// found carries the photo's UTC moment as its fix time. Every photo's note says why
// (DescribePositionResult). Outcomes: Empty only when the track holds no point at all; Far also
// when the track has points but none could be matched to the photo's time (both indices -1), and
// for a photo without a capture time (captureTime 0), which is never placed.
// Progress: Begin("Caclulating positions...", photos.Count()), SetPosition(i) after each
// checked photo only, End(); never pumped, never aborted.
std::vector<PositionResult> CalculatePositions(PhotoList& photos, const TrackStore& track,
                                               const TimeAdjustment& adjustment,
                                               ProgressSink& progress,
                                               const MatchThresholds& thresholds = {});

// What happened to the photo, in one word: "interpolated", "nearest" (placed on the one track
// point near it, at a track end or beside a medium gap), "gap", "far", "empty", "unchecked",
// "no-time" (a checked photo without a capture time).
const char* OutcomeWord(const PositionResult& result);

// One sentence for a tooltip, with times of day in UTC and lengths of time, such as
// "Interpolated between 10:00:00 and 10:10:00 UTC" or
// "No position: the nearest track point is 14 min away".
std::string DescribePositionResult(const PositionResult& result);

// What a calculation did, in one line for the status line: "8 of 12 photos placed: 6
// interpolated, 2 on the nearest track point; 1 in a gap of 4 h 15 min, 2 too far from the
// track, 1 without a capture time".
std::string DescribeCalculation(const std::vector<PositionResult>& results);

}  // namespace geotal
