// The page geotal-cli writes to look at before --write: every placed photo a dot in view with
// its name and outcome, a line per track, tiles of the view only, and names that cannot break
// the page.
#include <gtest/gtest.h>

#include <regex>

#include "map/MapPage.h"
#include "support/GeoPosition.h"

namespace geotal {
namespace {

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

TEST(MapPage, showsEveryPlacedPhotoInViewOverItsTracksAndTiles) {
    TrackStore track;
    for (int i = 0; i < 20; ++i) {
        track.Append({DegreesToArcSeconds(46.55 + i * 0.001), DegreesToArcSeconds(7.98 + i * 0.001),
                      std::nullopt, 45000.0 + i / 1440.0});
    }
    const TrackLines lines(track, {10, 10}, 1.0);
    const std::vector<PagePhoto> photos = {
        {"a.jpg", {46.552, 7.982}, "interpolated", true},
        {"<b>&\"x\".jpg", {46.60, 7.90}, "unchecked", false},
    };
    MapPageOptions options;
    options.tileTemplate = "https://tiles.example/{z}/{x}/{y}.png";
    options.attribution = "\u00a9 Example & co";
    const std::string page = MapPageHtml(lines, photos, options);

    EXPECT_EQ(Count(page, "<polyline"), 2) << "one line per track file";
    EXPECT_EQ(Count(page, "<circle"), 2);
    EXPECT_NE(page.find("<title>a.jpg: interpolated</title>"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;&amp;&quot;x&quot;.jpg: unchecked"), std::string::npos);
    EXPECT_EQ(page.find("<b>&"), std::string::npos) << "a name never becomes markup";
    EXPECT_NE(page.find("\u00a9 Example &amp; co"), std::string::npos);
    // Every dot inside the picture, and tiles only of the zoom and area shown.
    const std::regex dot("cx=\"([-0-9.]+)\" cy=\"([-0-9.]+)\"");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), dot);
         it != std::sregex_iterator(); ++it) {
        const double x = std::stod((*it)[1]);
        const double y = std::stod((*it)[2]);
        EXPECT_GE(x, 0);
        EXPECT_LE(x, options.width);
        EXPECT_GE(y, 0);
        EXPECT_LE(y, options.height);
    }
    const int tiles = Count(page, "<image href=\"https://tiles.example/");
    EXPECT_GT(tiles, 0);
    EXPECT_LE(tiles, (options.width / 256 + 2) * (options.height / 256 + 2));

    options.tileTemplate.clear();
    EXPECT_EQ(Count(MapPageHtml(lines, photos, options), "<image"), 0);
    EXPECT_EQ(Count(MapPageHtml(TrackLines{}, {}, options), "<circle"), 0);
}

}  // namespace
}  // namespace geotal
