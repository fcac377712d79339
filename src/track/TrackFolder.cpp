#include "track/TrackFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "support/AsciiText.h"
#include "support/TraceLog.h"
#include "track/CsvTrackReader.h"
#include "track/GpxReader.h"

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

TrackFileKind TrackFileKindOf(const std::string& path) {
    if (EndsWithNoCase(path, "gpx")) {
        return TrackFileKind::Gpx;
    }
    if (EndsWithNoCase(path, "csv")) {
        return TrackFileKind::Csv;
    }
    return TrackFileKind::None;
}

TrackFolderCounts LoadTrackFolder(const std::string& folder, TrackStore& store,
                                  ProgressSink& progress) {
    store.Empty();
    TrackFolderCounts counts;

    // The first walk only sizes the progress range.
    int trackFiles = 0;
    for (const std::string& path : FolderEntries(folder)) {
        trackFiles += TrackFileKindOf(path) != TrackFileKind::None ? 1 : 0;
    }
    progress.Begin("Getting tracking information...", trackFiles);

    for (const std::string& path : FolderEntries(folder)) {
        TraceValue("Loading GPX file", path);
        const TrackFileKind kind = TrackFileKindOf(path);
        if (kind != TrackFileKind::None) {
            progress.SetPosition(counts.gpsFileCount);
            // Unreadable entries (a directory named x.gpx, a locked file) add no points but
            // still count as track files.
            if (kind == TrackFileKind::Gpx) {
                ReadGpxFile(path, store);
            } else {
                ReadCsvTrackFile(path, store);
            }
            ++counts.gpsFileCount;
        }
        progress.SetPosition(counts.gpsFileCount);
        progress.Pump();
    }
    counts.positionCount = store.Count();
    return counts;
}

}  // namespace geotal
