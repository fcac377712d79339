#include "geotag/TrackTimeIndex.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace geotal {
namespace {

struct Entry {
    double time;
    int index;
};

bool Earlier(const Entry& a, const Entry& b) {
    return a.time < b.time;
}

// Orders by time and keeps store order among equal times. Each track file is usually in time
// order already, so the store is a few ascending runs one after the other: merging those runs
// pairwise costs a pass per doubling of the run length, far less than sorting from scratch.
void SortByTime(std::vector<Entry>& entries) {
    std::vector<std::size_t> bounds{0};
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (Earlier(entries[i], entries[i - 1])) {
            bounds.push_back(i);
        }
    }
    bounds.push_back(entries.size());
    if (bounds.size() <= 2) {
        return;
    }
    std::vector<Entry> merged(entries.size());
    std::vector<std::size_t> mergedBounds;
    while (bounds.size() > 2) {
        mergedBounds.assign(1, 0);
        std::size_t run = 0;
        for (; run + 2 < bounds.size(); run += 2) {
            // std::merge takes from the first range on ties: the earlier run stays first.
            std::merge(entries.begin() + bounds[run], entries.begin() + bounds[run + 1],
                       entries.begin() + bounds[run + 1], entries.begin() + bounds[run + 2],
                       merged.begin() + bounds[run], Earlier);
            mergedBounds.push_back(bounds[run + 2]);
        }
        if (run + 1 < bounds.size()) {
            // An odd run out is copied as it is.
            std::copy(entries.begin() + bounds[run], entries.begin() + bounds[run + 1],
                      merged.begin() + bounds[run]);
            mergedBounds.push_back(bounds[run + 1]);
        }
        entries.swap(merged);
        bounds.swap(mergedBounds);
    }
}

}  // namespace

TrackTimeIndex::TrackTimeIndex(const TrackStore& track) {
    std::vector<Entry> entries;
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
    for (const Entry& entry : entries) {
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
