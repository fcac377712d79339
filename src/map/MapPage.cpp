#include "map/MapPage.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace geotal {
namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

const char* FileColour(int file) {
    static const std::array<const char*, 6> colours = {"#c81e78", "#1e5ac8", "#148c3c",
                                                       "#963cc8", "#d26e00", "#008c96"};
    return colours[static_cast<std::size_t>(file) % colours.size()];
}

}  // namespace

std::string MapPageHtml(const TrackLines& lines, const std::vector<PagePhoto>& photos,
                        const MapPageOptions& options) {
    // The view: everything in it, as close as it fits.
    std::optional<TrackLines::Bounds> bounds = lines.Extent();
    for (const PagePhoto& photo : photos) {
        const WorldPoint at = ToWorld(photo.at.latitude, photo.at.longitude);
        if (!bounds) {
            bounds = WorldBounds{at, at};
        }
        bounds->Include(at);
    }
    const double width = options.width;
    const double height = options.height;
    const WorldView view = bounds ? FitView(*bounds, width, height, 20) : WorldView{};
    const int zoom = view.zoom;
    const WorldPoint center = view.center;
    const double pixels = WorldPixels(zoom);
    const double left = center.x * pixels - width / 2;
    const double top = center.y * pixels - height / 2;
    const auto x = [&](const WorldPoint& p) { return Number(p.x * pixels - left); };
    const auto y = [&](const WorldPoint& p) { return Number(p.y * pixels - top); };

    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Geotal map</title>\n"
        "<style>body{margin:0;font-family:sans-serif}svg{display:block;background:#e8e8e2}"
        "circle:hover{stroke:#000}</style></head><body>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
        "width=\"" +
        std::to_string(options.width) + "\" height=\"" + std::to_string(options.height) +
        "\" viewBox=\"0 0 " + std::to_string(options.width) + " " + std::to_string(options.height) +
        "\">\n";
    if (!options.tileTemplate.empty()) {
        for (const TileKey& tile : TilesInView(left, top, width, height, zoom)) {
            page += "<image href=\"" + Escaped(TileAddress(options.tileTemplate, tile)) +
                    "\" x=\"" + Number(tile.x * kTileSize - left) + "\" y=\"" +
                    Number(tile.y * kTileSize - top) + "\" width=\"256\" height=\"256\"/>\n";
        }
    }
    for (const TrackLines::Line& line : lines.Lines()) {
        page += "<polyline fill=\"none\" stroke-width=\"2.5\" stroke-linejoin=\"round\" stroke=\"" +
                std::string(FileColour(line.file)) + "\" points=\"";
        for (std::size_t i = line.first; i < line.first + line.count; ++i) {
            if (lines.DrawnAt(i, zoom)) {
                page += x(lines.Point(i)) + "," + y(lines.Point(i)) + " ";
            }
        }
        page += "\"/>\n";
    }
    for (const PagePhoto& photo : photos) {
        const WorldPoint at = ToWorld(photo.at.latitude, photo.at.longitude);
        page += "<circle r=\"6\" stroke=\"#fff\" stroke-width=\"1.5\" fill=\"" +
                std::string(photo.unwritten ? "#f08c14" : "#286edc") + "\" cx=\"" + x(at) +
                "\" cy=\"" + y(at) + "\"><title>" + Escaped(photo.name) + ": " +
                Escaped(photo.outcome) + "</title></circle>\n";
    }
    if (!options.attribution.empty()) {
        page += "<text x=\"" + std::to_string(options.width - 6) + "\" y=\"" +
                std::to_string(options.height - 6) +
                "\" text-anchor=\"end\" font-size=\"12\" paint-order=\"stroke\" stroke=\"#fff\" "
                "stroke-width=\"3\">" +
                Escaped(options.attribution) + "</text>\n";
    }
    page += "</svg>\n</body></html>\n";
    return page;
}

}  // namespace geotal
