#include "geotag/TrackTimeIndex.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "geotag/TimeSort.h"

namespace geotal {

TrackTimeIndex::TrackTimeIndex(const TrackStore& track) {
    std::vector<TimedIndex> entries;
    entries.reserve(static_cast<std::size_t>(track.Count()));
    for (int i = 0; i < track.Count(); ++i) {
        const double time = track.At(i).time;
        // A time that compares false with everything is never found by a scan either.
        if (!std::isnan(time)) {
            entries.push_back({time, i});
        }
    }
    SortByTime(entries);
    // Only the first point of each run of equal times can ever be found.
    times_.reserve(entries.size());
    indices_.reserve(entries.size());
    for (const TimedIndex& entry : entries) {
        if (times_.empty() || times_.back() < entry.time) {
            times_.push_back(entry.time);
            indices_.push_back(entry.index);
        }
    }
}

TrackNeighbours TrackTimeIndex::Around(double t) const {
    // The first time not below t; with t not a number that is the very first.
    const auto at = std::lower_bound(times_.begin(), times_.end(), t);
    const std::size_t k = static_cast<std::size_t>(at - times_.begin());
    TrackNeighbours found;
    if (k > 0 && times_[k - 1] > 0.0) {
        found.before = indices_[k - 1];
    }
    if (k < times_.size() && times_[k] < kNoAfterTime) {
        found.after = indices_[k];
    }
    return found;
}

}  // namespace geotal
