#include "settings/SettingsStore.h"

#include <QCoreApplication>

#include <filesystem>
#include <system_error>
#include <variant>

#include "settings/CVORegistry.h"

namespace geotal {
namespace {

using Field = std::variant<std::string Settings::*, int Settings::*, bool Settings::*,
                           CoordinateFormat Settings::*, MapService Settings::*,
                           ExportFormat Settings::*, CsvSeparator Settings::*>;

// One stored value. Load walks the table in order, Save walks the user values in order.
struct SettingEntry {
    const char* name;
    RegistryRoot root;  // the machine root is read, never written
    Field field;
    int numberDefault;        // numbers and flags
    const char* textDefault;  // texts; null means the folder the program runs from
    bool readAtLoad;          // false: the default is taken whatever is stored
};

const SettingEntry kEntries[] = {
    {"install_path", RegistryRoot::LocalMachine, &Settings::programFolder, 0, nullptr, true},
    {"folder_gpx", RegistryRoot::CurrentUser, &Settings::gpsFolder, 0, "", true},
    {"folder_photos", RegistryRoot::CurrentUser, &Settings::photoFolder, 0, "", true},
    {"position_format", RegistryRoot::CurrentUser, &Settings::coordinateFormat, 1, "", true},
    // Read, then kept only where it names a service Setup offers (see Load).
    {"map_service", RegistryRoot::CurrentUser, &Settings::mapService, 1, "", true},
    {"copy_file", RegistryRoot::CurrentUser, &Settings::copyFiles, 1, "", true},
    {"folder_copy", RegistryRoot::CurrentUser, &Settings::copyFolder, 0, "", true},
    {"export_format", RegistryRoot::CurrentUser, &Settings::exportFormat, 0, "", true},
    {"export_filename", RegistryRoot::CurrentUser, &Settings::exportFileName, 0, "", true},
    {"separator_value", RegistryRoot::CurrentUser, &Settings::csvSeparator, 0, "", true},
    {"window_width", RegistryRoot::CurrentUser, &Settings::windowWidth, 0, "", true},
    {"window_height", RegistryRoot::CurrentUser, &Settings::windowHeight, 0, "", true},
    {"time_zone_named", RegistryRoot::CurrentUser, &Settings::namedZone, 0, "", true},
    {"time_zone_name", RegistryRoot::CurrentUser, &Settings::zoneName, 0, "", true},
    {"use_photo_zone", RegistryRoot::CurrentUser, &Settings::usePhotoZone, 1, "", true},
    {"sidecar_name_ext", RegistryRoot::CurrentUser, &Settings::sidecarNameExt, 0, "", true},
    {"sidecar_only", RegistryRoot::CurrentUser, &Settings::sidecarOnly, 0, "", true},
    {"map_shown", RegistryRoot::CurrentUser, &Settings::mapShown, 1, "", true},
    {"map_width", RegistryRoot::CurrentUser, &Settings::mapWidth, 0, "", true},
    {"thumbnails_shown", RegistryRoot::CurrentUser, &Settings::thumbnailsShown, 1, "", true},
    {"map_tile_url", RegistryRoot::CurrentUser, &Settings::mapTileUrl, 0,
     "https://tile.openstreetmap.org/{z}/{x}/{y}.png", true},
    {"map_attribution", RegistryRoot::CurrentUser, &Settings::mapAttribution, 0,
     "\u00a9 OpenStreetMap contributors", true},
};

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string TextDefault(const SettingEntry& entry) {
    if (entry.textDefault != nullptr) {
        return entry.textDefault;
    }
    return QCoreApplication::applicationDirPath().toStdString();
}

void LoadEntry(const SettingEntry& entry, const CVORegistry& key, Settings& settings) {
    std::visit(
        Overloaded{
            [&](std::string Settings::*text) {
                const std::string fallback = TextDefault(entry);
                settings.*text =
                    entry.readAtLoad ? key.ReadString(entry.name, fallback.c_str()) : fallback;
            },
            [&](int Settings::*number) {
                settings.*number = entry.readAtLoad ? key.ReadDWORD(entry.name, entry.numberDefault)
                                                    : entry.numberDefault;
            },
            [&](bool Settings::*flag) {
                // Any nonzero number is true.
                settings.*flag = (entry.readAtLoad ? key.ReadDWORD(entry.name, entry.numberDefault)
                                                   : entry.numberDefault) != 0;
            },
            [&](CoordinateFormat Settings::*format) {
                settings.*format = CoordinateFormatFromNumber(
                    entry.readAtLoad ? key.ReadDWORD(entry.name, entry.numberDefault)
                                     : entry.numberDefault);
            },
            // The other choices keep the number as stored; where they are used, one that names
            // none is taken as their rules say (a map service as MapQuest, see Load; a
            // separator as a comma; a format by the export's refusal).
            [&]<class Choice>(Choice Settings::*choice) {
                settings.*choice = static_cast<Choice>(
                    entry.readAtLoad ? key.ReadDWORD(entry.name, entry.numberDefault)
                                     : entry.numberDefault);
            },
        },
        entry.field);
}

void SaveEntry(const SettingEntry& entry, CVORegistry& key, const Settings& settings) {
    std::visit(
        Overloaded{
            [&](std::string Settings::*text) {
                key.WriteString(entry.name, (settings.*text).c_str());
            },
            [&](int Settings::*number) { key.WriteDWORD(entry.name, settings.*number); },
            [&](bool Settings::*flag) { key.WriteDWORD(entry.name, settings.*flag ? 1 : 0); },
            [&]<class Choice>(Choice Settings::*choice) {
                key.WriteDWORD(entry.name, static_cast<int>(settings.*choice));
            },
        },
        entry.field);
}

}  // namespace

namespace SettingsStore {

void Load(Settings& settings) {
    const CVORegistry userKey(RegistryRoot::CurrentUser, kRegistryKeyPath, KEY_READ);
    const CVORegistry machineKey(RegistryRoot::LocalMachine, kRegistryKeyPath, KEY_READ);
    for (const SettingEntry& entry : kEntries) {
        LoadEntry(entry, entry.root == RegistryRoot::LocalMachine ? machineKey : userKey, settings);
    }
    // Setup offers MapQuest (1) and OpenStreetMap (2); the hidden 0 and any other number
    // stand for MapQuest, as they always did.
    if (settings.mapService != MapService::OpenStreetMap) {
        settings.mapService = MapService::MapQuest;
    }
}

void Save(const Settings& settings) {
    CVORegistry userKey(RegistryRoot::CurrentUser, kRegistryKeyPath, KEY_WRITE);
    for (const SettingEntry& entry : kEntries) {
        if (entry.root == RegistryRoot::CurrentUser) {
            SaveEntry(entry, userKey, settings);
        }
    }
}

}  // namespace SettingsStore

std::string HelpFilePath(const Settings& settings) {
    const std::string beside = settings.programFolder + "/Geotal.html";
    std::error_code error;
    if (settings.programFolder.empty() || std::filesystem::exists(beside, error)) {
        return beside;
    }
    // An installed program lives in PREFIX/bin and its page in PREFIX/share/geotal.
    const std::string installed =
        (std::filesystem::path(settings.programFolder) / "../share/geotal/Geotal.html")
            .lexically_normal()
            .string();
    if (std::filesystem::exists(installed, error)) {
        return installed;
    }
    return beside;
}

}  // namespace geotal
