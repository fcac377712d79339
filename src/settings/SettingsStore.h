// SettingsStore: the persistent settings of the main window, loaded at start and saved at exit.
#pragma once

#include <string>

#include "output/Export.h"
#include "output/Formatting.h"
#include "output/MapAddress.h"

namespace geotal {

// Plain values, so the core can take them without knowing where they are kept.
struct Settings {
    std::string programFolder;  // where the program and its help file live; never saved
    std::string gpsFolder;
    std::string photoFolder;
    CoordinateFormat coordinateFormat = CoordinateFormat::DecimalDegrees;
    // The web map Show on Map opens; the hidden Google Maps is never loaded.
    MapService mapService = MapService::MapQuest;
    bool copyFiles = true;
    std::string copyFolder;
    // A stored number that names no format is kept as it is: the export then names the file
    // and writes nothing.
    ExportFormat exportFormat = ExportFormat::Csv;
    std::string exportFileName;
    CsvSeparator csvSeparator = CsvSeparator::Comma;  // a number that names none writes commas
    // The main window's size in pixels as the user left it; 0 for the layout's own size.
    int windowWidth = 0;
    int windowHeight = 0;
    // Time adjustments: a zone of the tz database instead of whole hours, and which one. The
    // hours and the clock error are not kept: each start begins with the computer's offset.
    bool namedZone = false;
    std::string zoneName;
    bool usePhotoZone = true;  // Setup: a photo's recorded offset comes first
    // Setup: a new sidecar named IMG_1234.CR2.xmp rather than IMG_1234.xmp, and JPEGs' positions
    // written to sidecars too, leaving every photo file as it is.
    bool sidecarNameExt = false;
    bool sidecarOnly = false;
    // The map pane: shown or not, its width beside the list (0 for its first width), and the
    // tiles under it: an address template with {z}, {x} and {y} (empty: no tiles, a plain
    // background) and the credit the tile server asks for.
    bool mapShown = true;
    int mapWidth = 0;
    // The photo list: a thumbnail before each name (View > Thumbnails).
    bool thumbnailsShown = true;
    std::string mapTileUrl = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
    std::string mapAttribution = "\u00a9 OpenStreetMap contributors";
};

// The key all settings live under.
inline constexpr const char* kRegistryKeyPath = "SOFTWARE\\Tarsel\\Geotal";

namespace SettingsStore {

// Fills every field from the store, or with its default where nothing usable is stored.
// Nothing fails: a missing or unreadable store gives the first-run defaults.
void Load(Settings& settings);

// Writes the user values (everything but programFolder), failures ignored.
void Save(const Settings& settings);

}  // namespace SettingsStore

// The help page: programFolder followed by "/Geotal.html", joined as they stand. When no page
// is there but one is in the installed layout's data folder, <programFolder>/../share/geotal,
// that one.
std::string HelpFilePath(const Settings& settings);

}  // namespace geotal
