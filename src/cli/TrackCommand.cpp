// geotal-cli track GPSFOLDER: every track point the GPS folder gives, in store order.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/Command.h"
#include "cli/TerminalProgress.h"
#include "output/Formatting.h"
#include "track/TrackFolder.h"

namespace geotal::cli {

int RunTrackCommand(const std::vector<std::string>& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::printf(
            "Usage: geotal-cli track GPSFOLDER\n\n"
            "Reads every GPX and CSV file in GPSFOLDER as Load data files does and prints one\n"
            "line per track point: latitude, longitude (degrees), elevation, UTC time, separated\n"
            "by tabs. The number of track files and positions goes to standard error.\n");
        return 0;
    }
    if (args.empty()) {
        return UsageError("track: no GPSFOLDER given");
    }
    if (args.size() > 1) {
        return UsageError("track: only one GPSFOLDER expected, got " + std::to_string(args.size()));
    }
    if (args[0].size() > 1 && args[0][0] == '-') {
        return UsageError("track: unknown option '" + args[0] + "'");
    }
    const std::string& folder = args[0];
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        std::fprintf(stderr, "geotal-cli: track: '%s' is not a folder\n", folder.c_str());
        return 1;
    }

    TrackStore store;
    TerminalProgress progress;
    const TrackFolderCounts counts = LoadTrackFolder(folder, store, progress);
    progress.End();
    for (int i = 0; i < store.Count(); ++i) {
        const TrackPoint& point = store.At(i);
        std::printf("%s\t%s\t%g\t%s\n",
                    FormatCoordinate(point.latitude, CoordinateFormat::DecimalDegrees).c_str(),
                    FormatCoordinate(point.longitude, CoordinateFormat::DecimalDegrees).c_str(),
                    point.elevation, FormatPhotoTime(point.time).c_str());
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "geotal-cli: track: could not write the points\n");
        return 1;
    }
    std::fprintf(stderr, "%d track files, %d positions\n", counts.gpsFileCount,
                 counts.positionCount);
    return 0;
}

}  // namespace geotal::cli
