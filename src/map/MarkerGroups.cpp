#include "map/MarkerGroups.h"

#include <cmath>
#include <map>
#include <utility>

namespace geotal {

std::vector<MarkerGroup> GroupMarkers(const std::vector<MapMarker>& markers, int zoom,
                                      double cellPixels) {
    std::vector<MarkerGroup> groups;
    std::map<std::pair<long long, long long>, std::size_t> cells;
    const double scale = WorldPixels(zoom) / cellPixels;
    for (const MapMarker& marker : markers) {
        const std::pair<long long, long long> cell{
            static_cast<long long>(std::floor(marker.at.x * scale)),
            static_cast<long long>(std::floor(marker.at.y * scale))};
        const auto [found, added] = cells.try_emplace(cell, groups.size());
        if (added) {
            groups.push_back({marker.at, {}});
        }
        groups[found->second].records.push_back(marker.record);
    }
    return groups;
}

}  // namespace geotal
