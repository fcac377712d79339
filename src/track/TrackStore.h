// Every GPS fix of the loaded track files, in the order they were read; never sorted.
#pragma once

#include <algorithm>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

#include "track/TrackPoint.h"

namespace geotal {

class TrackStore {
public:
    void Append(const TrackPoint& point) { points_.push_back(point); }
    // Room for count points in all, so that a reader that can guess how many a large file
    // holds spares the store its regrowth; room never used is never touched. Room grows at
    // least twofold, so that the files of a folder making room in turn do not copy the store
    // once each. Only a guess: where there is no room that large, the store grows as points
    // come.
    void Reserve(int count) {
        const std::size_t wanted = static_cast<std::size_t>(count > 0 ? count : 0);
        if (wanted <= points_.capacity()) {
            return;
        }
        try {
            points_.reserve(std::max(wanted, 2 * points_.capacity()));
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
    }
    int Count() const { return static_cast<int>(points_.size()); }
    // 0 <= index < Count().
    const TrackPoint& At(int index) const { return points_[static_cast<std::size_t>(index)]; }
    void Empty() { points_.clear(); }
    bool IsEmpty() const { return points_.empty(); }

private:
    std::vector<TrackPoint> points_;
};

}  // namespace geotal
