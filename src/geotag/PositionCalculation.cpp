#include "geotag/PositionCalculation.h"

#include <cmath>
#include <cstddef>

#include "geotag/PhotoUtcTime.h"
#include "geotag/TrackTimeIndex.h"

namespace geotal {
namespace {

// A removal asked for stays asked for, and checked for Update, where no point places the photo.
void ClearPosition(PhotoRecord& photo) {
    photo.position.reset();
    photo.marked = photo.IsRemoval();
}

// The photo's moment t (UTC) goes with the position: it is the fix's time.
void TakePoint(PhotoRecord& photo, double t, const TrackPoint& point) {
    photo.position = GeoPosition{point.latitude, point.longitude, point.elevation, t};
    photo.marked = true;
    photo.removing = false;
}

void Interpolate(PhotoRecord& photo, double t, const TrackPoint& b, const TrackPoint& a) {
    const double f = (t - b.time) / (a.time - b.time);
    // An altitude made up from a point without one would be invented.
    photo.position = GeoPosition{
        b.latitude + (a.latitude - b.latitude) * f, b.longitude + (a.longitude - b.longitude) * f,
        b.elevation && a.elevation
            ? std::optional<double>(*b.elevation + (*a.elevation - *b.elevation) * f)
            : std::nullopt,
        t};
    photo.marked = true;
    photo.removing = false;
}

// Decides one checked photo from the points around its corrected time and writes the result
// into the record.
PositionResult Place(PhotoRecord& photo, double t, const TrackStore& track,
                     const TrackNeighbours& found, const MatchThresholds& thresholds) {
    PositionResult result;
    result.correctedTime = t;
    result.beforeIndex = found.before;
    result.afterIndex = found.after;
    const TrackPoint* before = found.before >= 0 ? &track.At(found.before) : nullptr;
    const TrackPoint* after = found.after >= 0 ? &track.At(found.after) : nullptr;
    result.beforeTime = before ? before->time : 0.0;
    result.afterTime = after ? after->time : 0.0;

    if (before && after) {
        const double gap = after->time - before->time;
        const bool stationary =
            std::fabs(after->latitude - before->latitude) < thresholds.stationaryTolerance &&
            std::fabs(after->longitude - before->longitude) < thresholds.stationaryTolerance;
        if (gap < thresholds.shortGap || (gap < thresholds.longGap && stationary)) {
            result.outcome = PositionOutcome::Interpolated;
            Interpolate(photo, t, *before, *after);
            return result;
        }
        if (!(gap < thresholds.longGap)) {
            // Beside a point or not, a photo inside so long a gap is not placed.
            result.outcome = PositionOutcome::Gap;
            ClearPosition(photo);
            return result;
        }
        // The track moved during a medium gap: only the nearer point may still be taken.
        if ((t - before->time) < (after->time - t)) {
            after = nullptr;
        } else {
            before = nullptr;  // also when both are equally far
        }
    }
    result.outcome = PositionOutcome::Far;
    if (after) {
        result.nearestDistance = after->time - t;
        if (result.nearestDistance < thresholds.nearestPointLimit) {
            result.outcome = PositionOutcome::After;
            TakePoint(photo, t, *after);
            return result;
        }
    } else if (before) {
        result.nearestDistance = t - before->time;
        if (result.nearestDistance < thresholds.nearestPointLimit) {
            result.outcome = PositionOutcome::Before;
            TakePoint(photo, t, *before);
            return result;
        }
    }
    ClearPosition(photo);
    return result;
}

}  // namespace

std::vector<PositionResult> CalculatePositions(PhotoList& photos, const TrackStore& track,
                                               const TimeAdjustment& adjustment,
                                               ProgressSink& progress,
                                               const MatchThresholds& thresholds) {
    const TrackTimeIndex index(track);
    std::vector<PositionResult> results(static_cast<std::size_t>(photos.Count()));
    // The status text as users have always seen it, spelling included.
    progress.Begin("Caclulating positions...", photos.Count());
    for (int i = 0; i < photos.Count(); ++i) {
        PhotoRecord& photo = photos[i];
        const bool checked = photo.marked;
        photo.marked = false;
        photo.time = PhotoTime{};
        if (!checked) {
            continue;
        }
        photo.time = PhotoUtcTime(photo, adjustment);
        const double t = photo.time.utc;
        PositionResult& result = results[static_cast<std::size_t>(i)];
        if (track.IsEmpty()) {
            result.outcome = PositionOutcome::Empty;
            result.correctedTime = t;
            ClearPosition(photo);
        } else if (!photo.captureTime) {
            result.outcome = PositionOutcome::Far;
            result.correctedTime = t;
            result.withoutCaptureTime = true;
            ClearPosition(photo);
        } else {
            result = Place(photo, t, track, index.Around(t), thresholds);
        }
        progress.SetPosition(i);
    }
    for (int i = 0; i < photos.Count(); ++i) {
        photos[i].note = DescribePositionResult(results[static_cast<std::size_t>(i)]);
    }
    progress.End();
    return results;
}

const char* OutcomeWord(const PositionResult& result) {
    switch (result.outcome) {
        case PositionOutcome::Interpolated:
            return "interpolated";
        case PositionOutcome::Before:
        case PositionOutcome::After:
            return "nearest";
        case PositionOutcome::Gap:
            return "gap";
        case PositionOutcome::Far:
            return result.withoutCaptureTime ? "no-time" : "far";
        case PositionOutcome::Empty:
            return "empty";
        case PositionOutcome::Unchecked:
            break;
    }
    return "unchecked";
}

}  // namespace geotal
