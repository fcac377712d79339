#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "settings/CVORegistry.h"
#include "settings/ScopedSettingsLocation.h"

namespace geotal {
namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

QStringList StoredNames(const std::string& file) {
    QSettings stored(QString::fromStdString(file), QSettings::IniFormat);
    QStringList names = stored.allKeys();
    names.sort();
    return names;
}

// Every field different from its default, so a field that is not saved or not loaded shows.
Settings Edited() {
    Settings s;
    s.programFolder = "/opt/elsewhere";
    s.gpsFolder = "/home/ann/GPS tracks";
    s.photoFolder = "/home/ann/Photos, 2010";
    s.coordinateFormat = CoordinateFormat::DegreesMinutesSeconds;
    s.mapService = MapService::GoogleMaps;
    s.copyFiles = false;
    s.copyFolder = "/backup/photos";
    s.exportFormat = ExportFormat::Kml;
    s.exportFileName = "/home/ann/out.kml";
    s.csvSeparator = CsvSeparator::Tab;
    s.namedZone = true;
    s.zoneName = "America/New_York";
    s.usePhotoZone = false;
    s.sidecarNameExt = true;
    s.sidecarOnly = true;
    return s;
}

TEST(SettingsStore, aFirstRunGivesTheDefaults) {
    ScopedSettingsLocation location;
    Settings s = Edited();
    SettingsStore::Load(s);
    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
    EXPECT_EQ(s.programFolder, programFolder);
    EXPECT_EQ(s.gpsFolder, "");
    EXPECT_EQ(s.photoFolder, "");
    EXPECT_EQ(s.coordinateFormat, CoordinateFormat::DecimalDegrees);
    EXPECT_EQ(s.mapService, MapService::MapQuest);
    EXPECT_TRUE(s.copyFiles);
    EXPECT_EQ(s.copyFolder, "");
    EXPECT_EQ(s.exportFormat, ExportFormat::Csv);
    EXPECT_EQ(s.exportFileName, "");
    EXPECT_EQ(s.csvSeparator, CsvSeparator::Comma);
    EXPECT_FALSE(s.namedZone);
    EXPECT_EQ(s.zoneName, "");
    EXPECT_TRUE(s.usePhotoZone);
    EXPECT_FALSE(s.sidecarNameExt);
    EXPECT_FALSE(s.sidecarOnly);
    EXPECT_EQ(HelpFilePath(s), programFolder + "/Geotal.html");
}

// Setup offers MapQuest and OpenStreetMap; the hidden service and unknown numbers are MapQuest.
TEST(SettingsStore, keepsOnlyAMapServiceThatSetupOffers) {
    for (const auto& [stored, loaded] : {std::pair{"2", 2}, {"1", 1}, {"0", 1}, {"3", 1}}) {
        ScopedSettingsLocation location;
        WriteFile(location.UserFile(), std::string("[General]\nmap_service=") + stored + "\n");
        Settings s;
        SettingsStore::Load(s);
        EXPECT_EQ(static_cast<int>(s.mapService), loaded) << stored;
    }
}

TEST(SettingsStore, loadsStoredValuesWithoutRangeChecksButIgnoresTheMapService) {
    ScopedSettingsLocation location;
    WriteFile(location.UserFile(),
              "[General]\n"
              "folder_gpx=/data/gps\n"
              "folder_photos=/data/photos\n"
              "position_format=0\n"
              "map_service=0\n"
              "copy_file=7\n"
              "folder_copy=/data/copies\n"
              "export_format=5\n"
              "export_filename=/data/out.csv\n"
              "separator_value=-1\n"
              "install_path=/not/from/the/user\n");
    WriteFile(location.SystemFile(), "[General]\ninstall_path=/opt/geotal\n");
    Settings s;
    SettingsStore::Load(s);
    EXPECT_EQ(s.programFolder, "/opt/geotal");
    EXPECT_EQ(s.gpsFolder, "/data/gps");
    EXPECT_EQ(s.photoFolder, "/data/photos");
    EXPECT_EQ(s.coordinateFormat, CoordinateFormat::DecimalDegrees) << "0 stands for no format";
    EXPECT_EQ(s.mapService, MapService::MapQuest);
    EXPECT_TRUE(s.copyFiles);
    EXPECT_EQ(s.copyFolder, "/data/copies");
    EXPECT_EQ(static_cast<int>(s.exportFormat), 5);
    EXPECT_EQ(s.exportFileName, "/data/out.csv");
    EXPECT_EQ(static_cast<int>(s.csvSeparator), -1);
    EXPECT_EQ(HelpFilePath(s), "/opt/geotal/Geotal.html");
}

TEST(SettingsStore, unreadableNumbersFallBackToTheirDefaults) {
    ScopedSettingsLocation location;
    WriteFile(location.UserFile(),
              "[General]\nposition_format=three\ncopy_file=99999999999\nseparator_value=;\n");
    Settings s;
    SettingsStore::Load(s);
    EXPECT_EQ(s.coordinateFormat, CoordinateFormat::DecimalDegrees);
    EXPECT_TRUE(s.copyFiles);
    EXPECT_EQ(s.csvSeparator, CsvSeparator::Comma);
}

// The map's tiles: OpenStreetMap's with its credit until the user names others, and none at all
// where the template is stored empty (a machine kept off the network).
TEST(SettingsStore, mapTilesDefaultToOpenStreetMapAndAnEmptyTemplateMeansNone) {
    ScopedSettingsLocation location;
    Settings s;
    SettingsStore::Load(s);
    EXPECT_EQ(s.mapTileUrl, "https://tile.openstreetmap.org/{z}/{x}/{y}.png");
    EXPECT_EQ(s.mapAttribution, "\u00a9 OpenStreetMap contributors");
    EXPECT_TRUE(s.mapShown);
    WriteFile(location.UserFile(), "[General]\nmap_tile_url=\nmap_shown=0\nmap_width=420\n");
    SettingsStore::Load(s);
    EXPECT_EQ(s.mapTileUrl, "");
    EXPECT_FALSE(s.mapShown);
    EXPECT_EQ(s.mapWidth, 420);
}

// The list shows thumbnails from the first start; unchecking View > Thumbnails is kept.
TEST(SettingsStore, showsThumbnailsUntilToldNotTo) {
    ScopedSettingsLocation location;
    Settings s;
    SettingsStore::Load(s);
    EXPECT_TRUE(s.thumbnailsShown);
    s.thumbnailsShown = false;
    SettingsStore::Save(s);
    Settings again;
    SettingsStore::Load(again);
    EXPECT_FALSE(again.thumbnailsShown);
    WriteFile(location.UserFile(), "[General]\nthumbnails_shown=1\n");
    SettingsStore::Load(again);
    EXPECT_TRUE(again.thumbnailsShown);
}

TEST(SettingsStore, savesTheUserValuesAndNeverTheProgramFolder) {
    ScopedSettingsLocation location;
    SettingsStore::Save(Settings{});
    EXPECT_EQ(
        StoredNames(location.UserFile()),
        QStringList({"copy_file",       "export_filename",  "export_format",   "folder_copy",
                     "folder_gpx",      "folder_photos",    "map_attribution", "map_service",
                     "map_shown",       "map_tile_url",     "map_width",       "position_format",
                     "separator_value", "sidecar_name_ext", "sidecar_only",    "thumbnails_shown",
                     "time_zone_name",  "time_zone_named",  "use_photo_zone",  "window_height",
                     "window_width"}));
    EXPECT_FALSE(std::filesystem::exists(location.SystemFile()));
}

TEST(SettingsStore, savesACopyFlagOfSevenBackAsOne) {
    ScopedSettingsLocation location;
    WriteFile(location.UserFile(), "[General]\ncopy_file=7\n");
    Settings s;
    SettingsStore::Load(s);
    SettingsStore::Save(s);
    const CVORegistry key(RegistryRoot::CurrentUser, kRegistryKeyPath, KEY_READ);
    EXPECT_EQ(key.ReadDWORD("copy_file", -1), 1);
}

TEST(SettingsStore, givesBackWhatItSavedExceptTheFixedValues) {
    ScopedSettingsLocation location;
    const Settings saved = Edited();
    SettingsStore::Save(saved);
    {
        const CVORegistry key(RegistryRoot::CurrentUser, kRegistryKeyPath, KEY_READ);
        EXPECT_EQ(key.ReadDWORD("map_service", -1), 0);  // saved as held in memory
        EXPECT_EQ(key.ReadDWORD("copy_file", -1), 0);
    }
    Settings loaded;
    SettingsStore::Load(loaded);
    EXPECT_EQ(loaded.programFolder, QCoreApplication::applicationDirPath().toStdString());
    EXPECT_EQ(loaded.gpsFolder, saved.gpsFolder);
    EXPECT_EQ(loaded.photoFolder, saved.photoFolder);
    EXPECT_EQ(loaded.coordinateFormat, saved.coordinateFormat);
    EXPECT_EQ(loaded.mapService, MapService::MapQuest);
    EXPECT_EQ(loaded.copyFiles, saved.copyFiles);
    EXPECT_EQ(loaded.copyFolder, saved.copyFolder);
    EXPECT_EQ(loaded.exportFormat, saved.exportFormat);
    EXPECT_EQ(loaded.exportFileName, saved.exportFileName);
    EXPECT_EQ(loaded.csvSeparator, saved.csvSeparator);
    EXPECT_EQ(loaded.namedZone, saved.namedZone);
    EXPECT_EQ(loaded.zoneName, saved.zoneName);
    EXPECT_EQ(loaded.usePhotoZone, saved.usePhotoZone);
    EXPECT_EQ(loaded.sidecarNameExt, saved.sidecarNameExt);
    EXPECT_EQ(loaded.sidecarOnly, saved.sidecarOnly);
}

TEST(SettingsStore, joinsTheHelpFileToTheProgramFolderAsTheyStand) {
    Settings s;
    s.programFolder = "/opt/geotal/";
    EXPECT_EQ(HelpFilePath(s), "/opt/geotal//Geotal.html");
    s.programFolder = "";
    EXPECT_EQ(HelpFilePath(s), "/Geotal.html");
}

// A prefix as an installation lays it out: PREFIX/bin and PREFIX/share/geotal.
struct InstalledLayout {
    std::filesystem::path prefix =
        std::filesystem::temp_directory_path() / ("geotal-prefix-" + std::to_string(::getpid()));
    std::string bin = (prefix / "bin").string();
    std::string shared = (prefix / "share/geotal/Geotal.html").string();

    InstalledLayout() { std::filesystem::create_directories(prefix / "bin"); }
    ~InstalledLayout() { std::filesystem::remove_all(prefix); }
};

TEST(SettingsStore, findsTheHelpPageInTheInstalledDataFolderWhenNoneIsBesideTheProgram) {
    InstalledLayout layout;
    WriteFile(layout.shared, "<html></html>");
    Settings s;
    s.programFolder = layout.bin;
    EXPECT_EQ(HelpFilePath(s), layout.shared);
}

TEST(SettingsStore, prefersTheHelpPageBesideTheProgram) {
    InstalledLayout layout;
    WriteFile(layout.shared, "<html></html>");
    WriteFile(layout.bin + "/Geotal.html", "<html></html>");
    Settings s;
    s.programFolder = layout.bin;
    EXPECT_EQ(HelpFilePath(s), layout.bin + "/Geotal.html");
}

TEST(SettingsStore, namesThePageBesideTheProgramWhenThereIsNoneAnywhere) {
    InstalledLayout layout;
    Settings s;
    s.programFolder = layout.bin;
    EXPECT_EQ(HelpFilePath(s), layout.bin + "/Geotal.html");
}

}  // namespace
}  // namespace geotal
