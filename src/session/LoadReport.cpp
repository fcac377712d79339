#include "session/LoadReport.h"

#include <filesystem>
#include <system_error>

#include "track/TrackFileReader.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;

std::string FileName(const std::string& path) {
    return fs::path(path).filename().string();
}

std::string FolderProblem(const std::string& folder, const std::string& what) {
    std::error_code error;
    if (folder.empty() || !fs::exists(folder, error)) {
        return "The " + what + " \"" + folder +
               "\" does not exist. Type the folder, or choose it with the ... button beside the "
               "field.";
    }
    if (!fs::is_directory(folder, error)) {
        return "\"" + folder + "\" is a file, not a folder. Give the " + what +
               " that holds it: " + fs::absolute(folder, error).parent_path().string();
    }
    return {};
}

// Only a folder's own files are read: one holding nothing but folders says so.
std::string SubfolderHint(const std::string& folder) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        // Hidden folders (".thumbnails") are no place a user would put photos.
        if (!name.starts_with('.') && entry->is_directory(error)) {
            return " Its subfolders are not read.";
        }
    }
    return {};
}

}  // namespace

LoadReport DescribeLoad(const Settings& settings, const TrackFolderCounts& counts, bool photosRead,
                        int photoCount) {
    LoadReport report;
    // A track file that gave nothing is named: a logger's own layout is the usual cause.
    std::string empty;
    for (const TrackFileReport& file : counts.files) {
        if (file.positions == 0) {
            const std::string name = FileName(file.path);
            empty += (empty.empty() ? "" : ", ") + name;
            report.details +=
                (report.details.empty() ? "" : "\n") + name + ": " + DescribeTrackFile(file);
        }
    }
    const std::string emptyFiles =
        empty.empty() ? std::string()
                      : "; no points in " + empty + " (hold the mouse here to see why)";
    const std::string trackFiles = counts.gpsFileCount == 1
                                       ? std::string("1 track file")
                                       : std::to_string(counts.gpsFileCount) + " track files";
    const std::string positions = std::to_string(counts.positionCount) + " positions";
    report.summary = photosRead ? std::to_string(photoCount) + " photos, " + trackFiles + ", " +
                                      positions + emptyFiles
                                : "Loading stopped: the list still shows the photos it showed "
                                  "before; " +
                                      trackFiles + ", " + positions + " loaded" + emptyFiles;

    std::string photos = FolderProblem(settings.photoFolder, "photo folder");
    if (photos.empty() && photosRead && photoCount == 0) {
        photos = "The photo folder \"" + settings.photoFolder +
                 "\" holds no photos (JPEG, RAW, HEIC, PNG, TIFF or WebP files)." +
                 SubfolderHint(settings.photoFolder) +
                 " Choose the folder your camera's photos are in.";
    }
    std::string tracks = FolderProblem(settings.gpsFolder, "GPS folder");
    if (tracks.empty() && counts.gpsFileCount == 0) {
        tracks = "The GPS folder \"" + settings.gpsFolder +
                 "\" holds no track files Geotal reads (GPX, CSV, NMEA, KML, KMZ, TCX, FIT, IGC, "
                 "GeoJSON or Google location history)." +
                 SubfolderHint(settings.gpsFolder) +
                 " Choose the folder your GPS logger's files are in.";
    } else if (tracks.empty() && counts.positionCount == 0) {
        tracks = "The " + std::to_string(counts.gpsFileCount) + " track files in \"" +
                 settings.gpsFolder +
                 "\" hold no usable points (a position with a time). Check that they are the "
                 "logger's tracks.";
    }
    std::string text;
    for (const std::string& problem : {photos, tracks}) {
        if (!problem.empty()) {
            text += (text.empty() ? "" : "\n\n") + problem;
        }
    }
    if (!text.empty()) {
        report.problems.push_back({text, kMessageWarning});
    }
    return report;
}

}  // namespace geotal
