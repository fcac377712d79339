// Web Mercator as tile servers cut the world: a square of 256 << zoom pixels, x growing east
// from 180° W and y growing south from 85.0511° N, where the projection is cut square.
#pragma once

#include <string>
#include <vector>

namespace geotal {

inline constexpr int kTileSize = 256;
inline constexpr int kMinMapZoom = 0;
inline constexpr int kMaxMapZoom = 19;
inline constexpr double kMaxMercatorLatitude = 85.05112877980659;

// A place on the world square, 0 to 1 on both axes.
struct WorldPoint {
    double x = 0;
    double y = 0;
};

// The smallest rectangle around some places.
struct WorldBounds {
    WorldPoint topLeft;
    WorldPoint bottomRight;

    void Include(const WorldPoint& point);
    void Include(const WorldBounds& other);
};

// A view's middle and zoom.
struct WorldView {
    WorldPoint center{0.5, 0.5};
    int zoom = kMinMapZoom;
};

// The closest view of width × height pixels that shows all of bounds with margin pixels to
// spare on every side; a single place at a street's scale.
WorldView FitView(const WorldBounds& bounds, double width, double height, double margin);

struct LatLon {
    double latitude = 0;  // degrees
    double longitude = 0;
};

// Latitudes beyond the square's edge land on it.
WorldPoint ToWorld(double latitude, double longitude);
LatLon FromWorld(const WorldPoint& point);

// The world's width in pixels at a zoom.
double WorldPixels(int zoom);

struct TileKey {
    int z = 0;
    int x = 0;
    int y = 0;

    friend bool operator==(const TileKey&, const TileKey&) = default;
    friend auto operator<=>(const TileKey&, const TileKey&) = default;
};

// The tiles a view of width × height pixels shows at zoom with its top left corner at left, top
// (world pixels at that zoom), the middle ones first: those are what the user looks at.
std::vector<TileKey> TilesInView(double left, double top, double width, double height, int zoom);

// A tile's address from a template with {z}, {x} and {y} in it.
std::string TileAddress(const std::string& addressTemplate, const TileKey& tile);

}  // namespace geotal
