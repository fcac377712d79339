#include "map/TrackLines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "support/GeoPosition.h"

namespace geotal {
namespace {

// A line drawn 2.5 pixels wide loses nothing to the eye when its points are two pixels apart.
constexpr double kStepPixels = 2.0;

// The points of one line: its ends drawn at every zoom, each other point from the first zoom
// at which it lies kStepPixels or more from the point drawn before it there. Once drawn at a zoom
// it is drawn at every closer one too, so the sets nest and a zoom step only adds detail.
void RankLine(const std::vector<WorldPoint>& points, std::size_t first, std::size_t count,
              std::vector<std::uint8_t>& minZoom) {
    std::array<std::size_t, kMaxMapZoom + 1> lastDrawn;
    lastDrawn.fill(first);
    minZoom[first] = kMinMapZoom;
    for (std::size_t i = first + 1; i < first + count; ++i) {
        const WorldPoint& p = points[i];
        int zoom = kMaxMapZoom;
        if (i + 1 == first + count) {
            zoom = kMinMapZoom;
        } else {
            for (int z = kMinMapZoom; z <= kMaxMapZoom; ++z) {
                const WorldPoint& last = points[lastDrawn[static_cast<std::size_t>(z)]];
                const double pixels = WorldPixels(z);
                if (std::hypot((p.x - last.x) * pixels, (p.y - last.y) * pixels) >= kStepPixels) {
                    zoom = z;
                    break;
                }
            }
        }
        minZoom[i] = static_cast<std::uint8_t>(zoom);
        for (int z = zoom; z <= kMaxMapZoom; ++z) {
            lastDrawn[static_cast<std::size_t>(z)] = i;
        }
    }
}

}  // namespace

TrackLines::TrackLines(const TrackStore& track, const std::vector<int>& pointsPerFile,
                       double gapDays) {
    const std::size_t total = static_cast<std::size_t>(track.Count());
    points_.reserve(total);
    for (int i = 0; i < track.Count(); ++i) {
        const TrackPoint& point = track.At(i);
        points_.push_back(
            ToWorld(ArcSecondsToDegrees(point.latitude), ArcSecondsToDegrees(point.longitude)));
    }
    minZoom_.assign(total, kMaxMapZoom);
    std::vector<int> files = pointsPerFile;
    if (std::any_of(files.begin(), files.end(), [](int n) { return n < 0; }) ||
        std::accumulate(files.begin(), files.end(), std::size_t{0}) != total) {
        files = {static_cast<int>(total)};
    }
    std::size_t start = 0;
    for (std::size_t file = 0; file < files.size(); ++file) {
        const std::size_t end = start + static_cast<std::size_t>(files[file]);
        std::size_t lineStart = start;
        for (std::size_t i = start; i < end; ++i) {
            const bool last = i + 1 == end;
            bool breaks = false;
            if (!last) {
                const double step =
                    track.At(static_cast<int>(i + 1)).time - track.At(static_cast<int>(i)).time;
                breaks = step >= gapDays || step < 0;
            }
            if (last || breaks) {
                Line line{static_cast<int>(file),
                          lineStart,
                          i + 1 - lineStart,
                          {points_[lineStart], points_[lineStart]}};
                for (std::size_t k = lineStart; k <= i; ++k) {
                    line.extent.Include(points_[k]);
                }
                RankLine(points_, line.first, line.count, minZoom_);
                lines_.push_back(line);
                lineStart = i + 1;
            }
        }
        start = end;
    }
    for (const std::uint8_t zoom : minZoom_) {
        ++drawnCounts_[zoom];
    }
    for (std::size_t z = 1; z < drawnCounts_.size(); ++z) {
        drawnCounts_[z] += drawnCounts_[z - 1];
    }
}

std::size_t TrackLines::DrawnCount(int zoom) const {
    return drawnCounts_[static_cast<std::size_t>(std::clamp(zoom, kMinMapZoom, kMaxMapZoom))];
}

std::optional<TrackLines::Bounds> TrackLines::Extent() const {
    if (lines_.empty()) {
        return std::nullopt;
    }
    Bounds bounds = lines_.front().extent;
    for (const Line& line : lines_) {
        bounds.Include(line.extent);
    }
    return bounds;
}

std::size_t TrackLines::MemoryBytes() const {
    return points_.capacity() * sizeof(WorldPoint) + minZoom_.capacity() +
           lines_.capacity() * sizeof(Line);
}

}  // namespace geotal
