// geotal-cli photos PHOTOFOLDER: the photo list as the window shows it after Load data files.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/TerminalProgress.h"
#include "output/Formatting.h"
#include "photo/PhotoFolder.h"

namespace geotal::cli {

int RunPhotosCommand(const std::vector<std::string>& args) {
    std::string folder;
    bool haveFolder = false;
    CoordinateFormat format = CoordinateFormat::DecimalDegrees;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            std::printf(
                "Usage: geotal-cli photos PHOTOFOLDER [--format 1|2|3]\n\n"
                "Reads the JPEG photos of PHOTOFOLDER as Load data files does and prints one line\n"
                "per photo in list order: file name, date/time, latitude, longitude, mark (1 or\n"
                "0), separated by tabs. Coordinates are empty for a photo without a position.\n"
                "Formats: 1 DD.DDDD (default), 2 DD MM.MMMM, 3 DD MM SS.SS.\n"
                "Use -- before a folder name that starts with '-'.\n");
            return 0;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--format" || arg.rfind("--format=", 0) == 0)) {
            std::string value;
            if (arg == "--format") {
                if (++i == args.size()) {
                    return UsageError("photos: --format needs a value 1, 2 or 3");
                }
                value = args[i];
            } else {
                value = arg.substr(9);
            }
            if (value != "1" && value != "2" && value != "3") {
                return UsageError("photos: --format takes 1, 2 or 3, not '" + value + "'");
            }
            format = CoordinateFormatFromNumber(value[0] - '0');
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return UsageError("photos: unknown option '" + arg + "'");
        } else if (haveFolder) {
            return UsageError("photos: only one PHOTOFOLDER expected");
        } else {
            folder = arg;
            haveFolder = true;
        }
    }
    if (!haveFolder) {
        return UsageError("photos: no PHOTOFOLDER given");
    }

    PhotoList photos;
    TerminalProgress progress;
    ReadPhotoFolder(folder, photos, progress);
    for (const PhotoRecord& photo : photos.records) {
        const bool hasPosition = photo.HasPosition();
        const std::string latitude = hasPosition ? FormatCoordinate(photo.latitude, format) : "";
        const std::string longitude = hasPosition ? FormatCoordinate(photo.longitude, format) : "";
        std::printf("%s\t%s\t%s\t%s\t%d\n", photo.fileName.c_str(),
                    FormatPhotoTime(photo.captureTime).c_str(), latitude.c_str(), longitude.c_str(),
                    photo.marked ? 1 : 0);
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "geotal-cli: photos: could not write the list\n");
        return 1;
    }
    return 0;
}

}  // namespace geotal::cli
