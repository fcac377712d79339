// The track's points ordered by time, so that the points around a moment are found by a binary
// search instead of a scan of the whole store.
#pragma once

#include <vector>

#include "track/TrackStore.h"

namespace geotal {

// Times at or above this are never taken as the point after a photo.
constexpr double kNoAfterTime = 9999999999.0;

struct TrackNeighbours {
    int before = -1;  // store index, -1 when none
    int after = -1;
};

class TrackTimeIndex {
public:
    // Reads the store once; the index does not follow later changes to it.
    explicit TrackTimeIndex(const TrackStore& track);

    // before: the latest point earlier than t (strictly) whose time is above 0; after: the
    // earliest point at t or later whose time is below kNoAfterTime. Among points with equal
    // times the first in store order is the one found. Exactly what a scan of the store in
    // order finds when it replaces its candidate only by a strictly better time.
    TrackNeighbours Around(double t) const;

private:
    // Ascending and distinct; indices_[k] is the first point in store order with times_[k].
    std::vector<double> times_;
    std::vector<int> indices_;
};

}  // namespace geotal
