// geotal-cli track GPSFOLDER: every track point the GPS folder gives, in store order.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/InputFolder.h"
#include "cli/TerminalProgress.h"
#include "output/Formatting.h"
#include "track/TrackFolder.h"

namespace geotal::cli {
namespace {

int RunTrackCommand(const std::vector<std::string>& args) {
    CLI::App app;
    SetUpCommandLine(
        app, kTrackCommand,
        "Reads every track file in GPSFOLDER, or the one track file it names, as Load data\n"
        "files does (GPX, CSV, NMEA, KML, KMZ, TCX, FIT, GeoJSON, Google location history,\n"
        "IGC) and prints one line per track point: latitude, longitude (degrees), elevation,\n"
        "UTC time, separated by tabs. Each file's format and counts, then the number of track\n"
        "files and positions, go to standard error. A file named on its own whose name does\n"
        "not tell its format is told by its content.\n"
        "Use -- before a folder name that starts with '-'.");
    std::string folder;
    app.add_option("GPSFOLDER", folder, "the folder of track files, or one track file")
        ->required()
        ->type_name("");
    if (const std::optional<int> status = ParseCommandLine(app, kTrackCommand, args)) {
        return *status;
    }
    TrackStore store;
    TerminalProgress progress;
    TrackFolderCounts counts;
    if (IsRegularFile(folder)) {
        counts = LoadTrackFile(folder, store);
        if (counts.files.empty()) {
            std::fprintf(stderr,
                         "geotal-cli: track: '%s' is not a track file of a format Geotal reads\n",
                         folder.c_str());
            return 1;
        }
    } else if (!CheckInputFolder(kTrackCommand, folder)) {
        return 1;
    } else {
        counts = LoadTrackFolder(folder, store, progress);
        progress.End();
    }
    for (int i = 0; i < store.Count(); ++i) {
        const TrackPoint& point = store.At(i);
        // A point without an elevation of its own has none to print, whatever the reader
        // carried over from the point before.
        char elevation[32] = "";
        if (point.elevation) {
            std::snprintf(elevation, sizeof elevation, "%g", *point.elevation);
        }
        std::printf("%s\t%s\t%s\t%s\n",
                    FormatCoordinate(point.latitude, CoordinateFormat::DecimalDegrees).c_str(),
                    FormatCoordinate(point.longitude, CoordinateFormat::DecimalDegrees).c_str(),
                    elevation, FormatPhotoTime(point.time).c_str());
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "geotal-cli: track: could not write the points\n");
        return 1;
    }
    for (const TrackFileReport& file : counts.files) {
        std::fprintf(stderr, "%s: %s\n", file.path.c_str(), DescribeTrackFile(file).c_str());
    }
    std::fprintf(stderr, "%d track files, %d positions\n", counts.gpsFileCount,
                 counts.positionCount);
    return 0;
}

}  // namespace

const Command kTrackCommand = {"track", "GPSFOLDER",
                               "list every track point of the track files in GPSFOLDER",
                               RunTrackCommand};

}  // namespace geotal::cli
