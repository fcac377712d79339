// Where things land on the map: Web Mercator as the tile servers cut it, the tracks' lines with
// their gaps and their detail per zoom, and markers that would cover each other.
#include <gtest/gtest.h>

#include <cmath>

#include "map/MarkerGroups.h"
#include "map/TrackLines.h"
#include "map/WebMercator.h"
#include "support/GeoPosition.h"

namespace geotal {
namespace {

TEST(WebMercator, placesPointsOnTheTilesServersCut) {
    // Zürich's main station at zoom 13, as the slippy map formula gives it.
    const WorldPoint zurich = ToWorld(47.3769, 8.5417);
    EXPECT_NEAR(zurich.x * 8192, 4290.371129, 1e-5);
    EXPECT_NEAR(zurich.y * 8192, 2868.720921, 1e-5);
    EXPECT_EQ(WorldPixels(13), 8192.0 * 256);

    for (const LatLon& place :
         {LatLon{-33.8688, 151.2093}, LatLon{0, 0}, LatLon{64.1, -21.9}, LatLon{-85.0, -179.99}}) {
        const LatLon back = FromWorld(ToWorld(place.latitude, place.longitude));
        EXPECT_NEAR(back.latitude, place.latitude, 1e-9);
        EXPECT_NEAR(back.longitude, place.longitude, 1e-9);
    }
    // The square's edge: the poles land on it, not beyond.
    EXPECT_NEAR(ToWorld(90, 0).y, 0.0, 1e-12);
    EXPECT_NEAR(ToWorld(-90, 0).y, 1.0, 1e-12);
    EXPECT_NEAR(FromWorld({0.5, 0.0}).latitude, kMaxMercatorLatitude, 1e-9);
}

TEST(WebMercator, asksForTheTilesInViewMiddleFirstAndNoneOutsideTheWorld) {
    // 600 × 300 pixels from (300, 100) at zoom 2 (a world of 4 × 4 tiles).
    const std::vector<TileKey> tiles = TilesInView(300, 100, 600, 300, 2);
    ASSERT_EQ(tiles.size(), 6u);  // x 1..3, y 0..1
    for (const TileKey& tile : tiles) {
        EXPECT_EQ(tile.z, 2);
        EXPECT_GE(tile.x, 1);
        EXPECT_LE(tile.x, 3);
        EXPECT_LE(tile.y, 1);
    }
    EXPECT_EQ(tiles.front().x, 2) << "the middle of the view first";

    EXPECT_TRUE(TilesInView(-500, 0, 400, 300, 3).empty());
    EXPECT_TRUE(TilesInView(0, 2048, 400, 300, 3).empty());
    EXPECT_EQ(TilesInView(-100, -100, 200, 200, 0), (std::vector<TileKey>{{0, 0, 0}}));
    EXPECT_EQ(TilesInView(0, 0, 256, 256, 1), (std::vector<TileKey>{{1, 0, 0}}))
        << "a view that ends on a tile's edge does not ask for the next";
}

TEST(WebMercator, fillsATileAddressTemplate) {
    EXPECT_EQ(TileAddress("https://tile.openstreetmap.org/{z}/{x}/{y}.png", {13, 4290, 2868}),
              "https://tile.openstreetmap.org/13/4290/2868.png");
    EXPECT_EQ(TileAddress("file:///tiles/{z}-{x}-{y}{y}?s={s}", {1, 0, 1}),
              "file:///tiles/1-0-11?s={s}");
}

TrackStore Walk(const std::vector<std::pair<double, double>>& degreesAndMinutes) {
    TrackStore track;
    double minute = 0;
    for (const auto& [degrees, minutes] : degreesAndMinutes) {
        minute = minutes;
        track.Append({DegreesToArcSeconds(47.0 + degrees), DegreesToArcSeconds(8.0 + degrees),
                      std::nullopt, 45000.0 + minute / 1440.0});
    }
    return track;
}

TEST(TrackLines, breakAtFilesGapsAndTimeRunningBackwards) {
    // File 1: three fixes a minute apart, then five hours later two more. File 2: two fixes,
    // the second before the first.
    const TrackStore track =
        Walk({{0, 0}, {0.001, 1}, {0.002, 2}, {0.1, 302}, {0.101, 303}, {0.2, 10}, {0.201, 5}});
    const TrackLines lines(track, {5, 2}, 4.0 / 24);
    ASSERT_EQ(lines.Lines().size(), 4u);
    EXPECT_EQ(lines.Lines()[0].count, 3u);
    EXPECT_EQ(lines.Lines()[1].first, 3u);
    EXPECT_EQ(lines.Lines()[1].count, 2u);
    EXPECT_EQ(lines.Lines()[2].file, 1);
    EXPECT_EQ(lines.Lines()[3].count, 1u);

    // Counts that do not add up (a file read twice, say) make one file, still broken at gaps.
    const TrackLines one(track, {5}, 4.0 / 24);
    for (const TrackLines::Line& line : one.Lines()) {
        EXPECT_EQ(line.file, 0);
    }
    EXPECT_TRUE(TrackLines(TrackStore{}, {}, 1).IsEmpty());
}

TEST(TrackLines, drawFewPointsFarOutAndEveryPointCloseInWithinTwiceTheStoresMemory) {
    // A day's walk, a fix a second, wandering a metre at a time.
    TrackStore track;
    const int count = 86400;
    for (int i = 0; i < count; ++i) {
        const double metres = i * 1.0;
        track.Append({DegreesToArcSeconds(47.0 + std::sin(i / 500.0) * 0.01),
                      DegreesToArcSeconds(8.0 + metres / 75000.0), std::nullopt,
                      45000.0 + i / 86400.0});
    }
    const TrackLines lines(track, {count}, 4.0 / 24);
    ASSERT_EQ(lines.Lines().size(), 1u);
    const auto drawn = [&lines](int zoom) {
        int n = 0;
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
            n += lines.DrawnAt(i, zoom) ? 1 : 0;
        }
        return n;
    };
    // At zoom 8 the day is some 500 pixels of line: about a point per pixel of it.
    EXPECT_LT(drawn(8), count / 100);
    EXPECT_LT(drawn(12), drawn(16));
    EXPECT_EQ(drawn(kMaxMapZoom), count);
    for (const int zoom : {0, 8, 12, 16, kMaxMapZoom}) {
        EXPECT_EQ(lines.DrawnCount(zoom), static_cast<std::size_t>(drawn(zoom))) << zoom;
    }
    EXPECT_TRUE(lines.DrawnAt(0, 0));
    EXPECT_TRUE(lines.DrawnAt(count - 1, 0)) << "a line's ends show at every zoom";
    // Nested: what shows at a zoom shows closer in too.
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); i += 97) {
        for (int z = 0; z < kMaxMapZoom; ++z) {
            if (lines.DrawnAt(i, z)) {
                ASSERT_TRUE(lines.DrawnAt(i, z + 1)) << i << " at " << z;
            }
        }
    }
    EXPECT_LT(lines.MemoryBytes(), 2 * count * sizeof(TrackPoint));

    const auto extent = lines.Extent();
    ASSERT_TRUE(extent);
    EXPECT_LT(extent->topLeft.y, ToWorld(47.0, 8.0).y);
    EXPECT_GT(extent->bottomRight.y, ToWorld(47.0, 8.0).y);
}

TEST(MarkerGroups, groupMarkersThatWouldCoverEachOtherAndPartThemCloserIn) {
    const WorldPoint here = ToWorld(47.0, 8.0);
    const WorldPoint nextDoor = ToWorld(47.0001, 8.0001);  // about 14 m away
    const WorldPoint far = ToWorld(48.0, 9.0);
    const std::vector<MapMarker> markers{{here, 4}, {far, 7}, {nextDoor, 2}, {here, 9}};
    const std::vector<MarkerGroup> out = GroupMarkers(markers, 10, 24);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].records, (std::vector<int>{4, 2, 9}));
    EXPECT_EQ(out[1].records, std::vector<int>{7});
    const std::vector<MarkerGroup> close = GroupMarkers(markers, 19, 24);
    EXPECT_EQ(close.size(), 3u);
}

}  // namespace
}  // namespace geotal
