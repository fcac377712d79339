// geotal-cli photos PHOTOFOLDER: the photo list as the window shows it after Load data files.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/InputFolder.h"
#include "cli/PhotoRow.h"
#include "cli/SidecarFlags.h"
#include "cli/TerminalProgress.h"
#include "photo/PhotoFolder.h"

namespace geotal::cli {
namespace {

int RunPhotosCommand(const std::vector<std::string>& args) {
    CLI::App app;
    SetUpCommandLine(
        app, kPhotosCommand,
        "Reads the photos of PHOTOFOLDER (JPEG, RAW, HEIC, AVIF, WebP, PNG, TIFF; or the one\n"
        "photo PHOTOFOLDER names) as Load data files does and prints one line per photo in list\n"
        "order: file name, date/time, latitude, longitude, mark (1 or 0), separated by tabs.\n"
        "Coordinates are empty for a photo without a position; a photo other than a JPEG shows\n"
        "the position of its XMP sidecar where the sidecar holds one, else its own; a JPEG\n"
        "shows its own, else its sidecar's (with --sidecar-only, as where positions go to\n"
        "sidecars only, its sidecar's first; with two sidecars, the one --sidecar-name names).\n"
        "Why a photo has no time goes to standard error.\n"
        "A tab, line feed, carriage return or backslash in a file name is printed as \\t, \\n,\n"
        "\\r or \\\\.\n"
        "Use -- before a folder name that starts with '-'.");
    std::string folder;
    std::optional<int> format;
    app.add_option("PHOTOFOLDER", folder, "the folder of photos")->required()->type_name("");
    AddWholeNumberOption(app, "--format", format, 1, 3, "1|2|3",
                         "coordinates as 1 DD.DDDD (default), 2 DD MM.MMMM, 3 DD MM SS.SS");
    SidecarOptions sidecars;
    AddSidecarReadingFlags(app, sidecars);
    if (const std::optional<int> status = ParseCommandLine(app, kPhotosCommand, args)) {
        return *status;
    }

    PhotoList photos;
    TerminalProgress progress;
    if (IsRegularFile(folder) && IsPhotoFileName(folder)) {
        ReadPhotoFile(folder, photos, progress, sidecars);
    } else if (!CheckInputFolder(kPhotosCommand, folder)) {
        return 1;
    } else {
        ReadPhotoFolder(folder, photos, progress, sidecars);
    }
    const CoordinateFormat coordinates = CoordinateFormatFromNumber(format.value_or(1));
    for (const PhotoRecord& photo : photos.records) {
        std::printf("%s\n", PhotoRowText(photo, coordinates).c_str());
        if (!photo.captureTime && !photo.note.empty()) {
            std::fprintf(stderr, "geotal-cli: photos: %s: %s\n",
                         EscapedName(photo.fileName).c_str(), photo.note.c_str());
        }
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "geotal-cli: photos: could not write the list\n");
        return 1;
    }
    return 0;
}

}  // namespace

const Command kPhotosCommand = {
    "photos", "PHOTOFOLDER [--format 1|2|3] [--sidecar-only] [--sidecar-name name|ext]",
    "list the photos of PHOTOFOLDER with time, position and mark, as the photo list shows them",
    RunPhotosCommand};

}  // namespace geotal::cli
