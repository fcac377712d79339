// Photos' markers on a map at one zoom: those that would cover each other are drawn as one,
// with a count.
#pragma once

#include <vector>

#include "map/WebMercator.h"

namespace geotal {

struct MapMarker {
    WorldPoint at;
    int record = -1;  // the photo's record
};

struct MarkerGroup {
    WorldPoint at;             // where the first of them is
    std::vector<int> records;  // in the order given
};

// Groups the markers lying within cellPixels of each other's cell at zoom, in the order given.
std::vector<MarkerGroup> GroupMarkers(const std::vector<MapMarker>& markers, int zoom,
                                      double cellPixels);

}  // namespace geotal
