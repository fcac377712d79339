// A page a web browser shows without Geotal: the tracks and the placed photos drawn as SVG over
// the tiles of a template, all in view, each photo's dot naming it and how it was placed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "map/TrackLines.h"
#include "map/WebMercator.h"

namespace geotal {

struct PagePhoto {
    std::string name;
    LatLon at;
    std::string outcome;     // how it got its position, as the list says it
    bool unwritten = false;  // not in the file yet
};

struct MapPageOptions {
    std::string tileTemplate;  // empty: no tiles
    std::string attribution;   // shown over the tiles
    int width = 1024;
    int height = 720;
};

std::string MapPageHtml(const TrackLines& lines, const std::vector<PagePhoto>& photos,
                        const MapPageOptions& options);

}  // namespace geotal
