#include "track/TrackFolder.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "support/AsciiText.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

// The full paths of every entry of the folder, files and directories alike, sorted by name so
// that the store's order does not depend on the file system.
std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> paths;
    if (folder.empty()) {
        return paths;
    }
    const std::string prefix = folder.back() == '/' ? folder : folder + "/";
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        paths.push_back(prefix + it->path().filename().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

}  // namespace

TrackFolderCounts LoadTrackFolder(const std::string& folder, TrackStore& store,
                                  ProgressSink& progress) {
    store.Empty();
    TrackFolderCounts counts;

    // The formats are told once, before the progress range is sized by them.
    std::vector<std::pair<std::string, std::optional<TrackFormat>>> entries;
    int trackFiles = 0;
    for (std::string& path : FolderEntries(folder)) {
        const std::optional<TrackFormat> format = TrackFormatOfFile(path);
        trackFiles += format ? 1 : 0;
        entries.emplace_back(std::move(path), format);
    }
    progress.Begin("Getting tracking information...", trackFiles);

    for (const auto& [path, format] : entries) {
        if (!format) {
            TraceValue("Not a track file", path);
        } else {
            TraceValue(std::string("Loading ") + TrackFormatName(*format) + " file", path);
            progress.SetPosition(counts.gpsFileCount);
            // Unreadable entries (a directory named x.gpx, a locked file) add no points but
            // still count as track files.
            counts.files.push_back(ReadTrackFile(path, *format, store));
            ++counts.gpsFileCount;
        }
        progress.SetPosition(counts.gpsFileCount);
        progress.Pump();
    }
    counts.positionCount = store.Count();
    return counts;
}

TrackFolderCounts LoadTrackFile(const std::string& path, TrackStore& store) {
    store.Empty();
    TrackFolderCounts counts;
    if (const std::optional<TrackFormat> format = TrackFormatOfNamedFile(path)) {
        TraceValue(std::string("Loading ") + TrackFormatName(*format) + " file", path);
        counts.files.push_back(ReadTrackFile(path, *format, store));
        counts.gpsFileCount = 1;
    } else {
        TraceValue("Not a track file", path);
    }
    counts.positionCount = store.Count();
    return counts;
}

}  // namespace geotal
