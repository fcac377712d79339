#include "map/WebMercator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace geotal {

WorldPoint ToWorld(double latitude, double longitude) {
    const double lat = std::clamp(latitude, -kMaxMercatorLatitude, kMaxMercatorLatitude);
    const double sine = std::sin(lat * std::numbers::pi / 180.0);
    return {(longitude + 180.0) / 360.0,
            0.5 - std::log((1.0 + sine) / (1.0 - sine)) / (4.0 * std::numbers::pi)};
}

void WorldBounds::Include(const WorldPoint& point) {
    topLeft = {std::min(topLeft.x, point.x), std::min(topLeft.y, point.y)};
    bottomRight = {std::max(bottomRight.x, point.x), std::max(bottomRight.y, point.y)};
}

void WorldBounds::Include(const WorldBounds& other) {
    Include(other.topLeft);
    Include(other.bottomRight);
}

WorldView FitView(const WorldBounds& bounds, double width, double height, double margin) {
    const double spanX = bounds.bottomRight.x - bounds.topLeft.x;
    const double spanY = bounds.bottomRight.y - bounds.topLeft.y;
    WorldView view{{bounds.topLeft.x + spanX / 2, bounds.topLeft.y + spanY / 2}, 16};
    if (spanX > 0 || spanY > 0) {
        const double roomX = std::max(1.0, width - 2 * margin);
        const double roomY = std::max(1.0, height - 2 * margin);
        view.zoom = kMinMapZoom;
        while (view.zoom < kMaxMapZoom && spanX * WorldPixels(view.zoom + 1) <= roomX &&
               spanY * WorldPixels(view.zoom + 1) <= roomY) {
            ++view.zoom;
        }
    }
    return view;
}

LatLon FromWorld(const WorldPoint& point) {
    const double n = std::numbers::pi * (1.0 - 2.0 * point.y);
    return {std::atan(std::sinh(n)) * 180.0 / std::numbers::pi, point.x * 360.0 - 180.0};
}

double WorldPixels(int zoom) {
    return std::ldexp(static_cast<double>(kTileSize), std::clamp(zoom, kMinMapZoom, kMaxMapZoom));
}

std::vector<TileKey> TilesInView(double left, double top, double width, double height, int zoom) {
    zoom = std::clamp(zoom, kMinMapZoom, kMaxMapZoom);
    const int count = 1 << zoom;
    const auto tileOf = [count](double pixels) {
        return std::clamp(static_cast<int>(std::floor(pixels / kTileSize)), 0, count - 1);
    };
    std::vector<TileKey> tiles;
    if (width <= 0 || height <= 0 || left + width <= 0 || top + height <= 0 ||
        left >= WorldPixels(zoom) || top >= WorldPixels(zoom)) {
        return tiles;
    }
    const int x0 = tileOf(left);
    const int x1 = tileOf(left + width - 1);
    const int y0 = tileOf(top);
    const int y1 = tileOf(top + height - 1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            tiles.push_back({zoom, x, y});
        }
    }
    const double middleX = (left + width / 2) / kTileSize - 0.5;
    const double middleY = (top + height / 2) / kTileSize - 0.5;
    std::stable_sort(tiles.begin(), tiles.end(), [&](const TileKey& a, const TileKey& b) {
        return std::hypot(a.x - middleX, a.y - middleY) < std::hypot(b.x - middleX, b.y - middleY);
    });
    return tiles;
}

std::string TileAddress(const std::string& addressTemplate, const TileKey& tile) {
    std::string address;
    for (std::size_t i = 0; i < addressTemplate.size(); ++i) {
        const std::string_view rest = std::string_view(addressTemplate).substr(i);
        if (rest.starts_with("{z}")) {
            address += std::to_string(tile.z);
        } else if (rest.starts_with("{x}")) {
            address += std::to_string(tile.x);
        } else if (rest.starts_with("{y}")) {
            address += std::to_string(tile.y);
        } else {
            address += addressTemplate[i];
            continue;
        }
        i += 2;
    }
    return address;
}

}  // namespace geotal
