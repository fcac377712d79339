// The loaded tracks as lines to draw on a map: one colour per file, broken where the track has a
// gap, each point projected once and given the zoom from which it is drawn, so that a million
// points draw as the few thousand that show at the whole track's scale.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "map/WebMercator.h"
#include "track/TrackStore.h"

namespace geotal {

class TrackLines {
public:
    using Bounds = WorldBounds;
    struct Line {
        int file = 0;  // which of the loaded files, in the order they were read
        std::size_t first = 0;
        std::size_t count = 0;
        Bounds extent;  // so that a line off screen is passed over whole
    };

    TrackLines() = default;
    // pointsPerFile: how many points each file gave, in the order they were stored; counts that
    // do not add up to the store's make one file of all. A line breaks where the time between
    // two fixes is gapDays or more, or runs backwards.
    TrackLines(const TrackStore& track, const std::vector<int>& pointsPerFile, double gapDays);

    const std::vector<Line>& Lines() const { return lines_; }
    const WorldPoint& Point(std::size_t index) const { return points_[index]; }
    // A line's ends always; another point where it lies at least two pixels from the point
    // drawn before it at that zoom.
    bool DrawnAt(std::size_t index, int zoom) const { return minZoom_[index] <= zoom; }
    // How many points are drawn at zoom, every line together.
    std::size_t DrawnCount(int zoom) const;
    bool IsEmpty() const { return points_.empty(); }
    std::optional<Bounds> Extent() const;
    std::size_t MemoryBytes() const;

private:
    std::vector<WorldPoint> points_;
    std::vector<std::uint8_t> minZoom_;
    std::vector<Line> lines_;
    std::array<std::size_t, kMaxMapZoom + 1> drawnCounts_{};
};

}  // namespace geotal
