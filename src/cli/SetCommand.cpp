// geotal-cli set LATITUDE LONGITUDE PHOTO...: writes one position into photo files;
// geotal-cli set --remove PHOTO...: takes their positions out.
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/CopyFolder.h"
#include "cli/NumberText.h"
#include "cli/PhotoRow.h"
#include "cli/SidecarFlags.h"
#include "photo/PhotoBatch.h"
#include "photo/PhotoUpdate.h"
#include "photo/PhotoWriter.h"
#include "photo/PositionTarget.h"
#include "support/Angles.h"
#include "support/AsciiText.h"

namespace geotal::cli {
namespace {

struct SetRequest {
    std::string latitudeText, longitudeText;
    double latitude = 0, longitude = 0;  // decimal degrees
    std::optional<double> altitude;      // metres; none leaves altitude out
    bool remove = false;                 // no coordinates: the photos' positions go
    bool copyFiles = false;
    std::string copyFolder;
    SidecarOptions sidecars;
    std::vector<std::string> photos;
};

// Splits the words CLI11 left over, in their order, into coordinates and photos. "--" ends
// the options; before it, only a word with two dashes is an option, so negative coordinates
// and photos named "-x.jpg" stay arguments as they always were.
std::optional<int> TakeArguments(const std::vector<std::string>& words, SetRequest& request) {
    std::vector<std::string> arguments;
    bool optionsEnded = false;
    for (const std::string& word : words) {
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && word.rfind("--", 0) == 0) {
            return UsageError(kSetCommand, "unknown option '" + word + "'");
        } else {
            arguments.push_back(word);
        }
    }
    if (request.remove) {
        if (arguments.empty()) {
            return UsageError(kSetCommand, "--remove needs at least one PHOTO");
        }
        request.photos = std::move(arguments);
        return std::nullopt;
    }
    if (arguments.size() < 3) {
        return UsageError(kSetCommand, "LATITUDE, LONGITUDE and at least one PHOTO are needed");
    }
    request.latitudeText = arguments[0];
    request.longitudeText = arguments[1];
    request.photos.assign(arguments.begin() + 2, arguments.end());
    return std::nullopt;
}

// Nothing when the request was read; else the exit status after help or a usage error.
std::optional<int> ParseSetArguments(const std::vector<std::string>& args, SetRequest& request) {
    CLI::App app;
    SetUpCommandLine(
        app, kSetCommand,
        "Writes the position (decimal degrees, south and west negative) and, with --altitude,\n"
        "the altitude (metres, negative below sea level) into each PHOTO as EXIF GPS tags, the\n"
        "way Update photo files does; without --altitude the photo is left with no altitude.\n"
        "A photo other than a JPEG is never changed: the position goes to its XMP sidecar\n"
        "(the NAME.xmp or NAME.EXT.xmp it has, else a new NAME.xmp, or NAME.EXT.xmp with\n"
        "--sidecar-name ext), written once for photos that share it. With --sidecar-only a\n"
        "JPEG's goes to its sidecar too, and no photo file is changed. With --copy-to, each\n"
        "JPEG, and each sidecar that already exists, is first copied into DIR.\n"
        "With --remove (and no LATITUDE LONGITUDE) the position is taken out of each PHOTO\n"
        "instead, by the same route: its GPS tags (image direction aside) and its sidecar's GPS\n"
        "properties; each photo is named with what was done. A sidecar is never made for it,\n"
        "and a position in a RAW file itself, which is never changed, stays and is reported.\n"
        "Failures go to standard error and the next photo is tried.\n"
        "Exit status: 0 all written, 1 some photo failed, 2 wrong arguments.\n"
        "Use -- before photo names that start with \"--\".",
        "--help");
    // CLI11 is told of no arguments: they are taken in order from what it leaves.
    app.allow_extras();
    double altitude = 0;
    const CLI::Option* altitudeOption =
        AddDecimalOption(app, "--altitude", altitude, "METRES", "altitude, none if not given");
    const CLI::Option* copyTo =
        app.add_option("--copy-to", request.copyFolder, "copy each photo into DIR first")
            ->type_name("DIR");
    app.add_flag("--remove", request.remove, "take each PHOTO's position out instead");
    AddSidecarFlags(app, request.sidecars);
    if (const std::optional<int> status = ParseCommandLine(app, kSetCommand, args)) {
        return status;
    }
    if (request.remove && altitudeOption->count() > 0) {
        return UsageError(kSetCommand, "--remove takes no --altitude");
    }
    request.copyFiles = copyTo->count() > 0;
    if (altitudeOption->count() > 0) {
        request.altitude = altitude;
    }
    return TakeArguments(app.remaining(), request);
}

// Checks the numbers and the copy folder before anything is written.
std::optional<int> ValidateSetRequest(SetRequest& request) {
    if (request.remove) {
        // No coordinates to check.
    } else if (!ParseDecimal(request.latitudeText, request.latitude) ||
               std::fabs(request.latitude) > 90) {
        return UsageError(kSetCommand, "LATITUDE must be decimal degrees from -90 to 90, not '" +
                                           request.latitudeText + "'");
    } else if (!ParseDecimal(request.longitudeText, request.longitude) ||
               std::fabs(request.longitude) > 180) {
        return UsageError(kSetCommand, "LONGITUDE must be decimal degrees from -180 to 180, not '" +
                                           request.longitudeText + "'");
    } else if (request.latitude == 0 && request.longitude == 0) {
        return UsageError(kSetCommand, "0 0 stands for \"no position\" and is never written");
    }
    if (request.altitude && !(std::fabs(*request.altitude) <= kLargestAltitude)) {
        char reason[128];
        std::snprintf(reason, sizeof reason, "--altitude takes metres from -%.0f to %.0f, not '%g'",
                      kLargestAltitude, kLargestAltitude, *request.altitude);
        return UsageError(kSetCommand, reason);
    }
    if (!request.copyFiles) {
        return std::nullopt;
    }
    request.copyFolder = WithoutTrailingSlashes(request.copyFolder);
    if (!CheckCopyFolderUsable(kSetCommand, request.copyFolder)) {
        return kUsageError;
    }
    for (const std::string& photo : request.photos) {
        const std::string folder = FolderOf(photo);
        if (!CheckCopyFolderApart(kSetCommand, request.copyFolder, folder.empty() ? "." : folder,
                                  "the folder of " + EscapedName(photo))) {
            return kUsageError;
        }
    }
    return std::nullopt;
}

// Writes every photo, going on after a failure; 1 when any failed.
int WritePosition(const SetRequest& request) {
    PhotoWriter writer;
    writer.SetCopyOptions(request.copyFiles, request.copyFolder);
    UpdateCounter updated(request.sidecars);
    int failed = 0;
    // What --remove did to each photo, told in the order the photos were given once all are
    // done: a batch reports its photos when it is committed.
    std::vector<const char*> done(request.photos.size(), nullptr);
    const auto report = [&](std::size_t ticket, const WriteOutcome& outcome) {
        if (outcome.result == WriteResult::Written) {
            if (!(request.remove && outcome.unchanged)) {  // a photo without one is not updated
                updated.Written(request.photos[ticket]);
            }
            done[ticket] = outcome.unchanged ? "had no position" : "position removed";
            return;
        }
        ++failed;
        // A name is shown, never acted on: an escape sequence in it must not reach the terminal.
        const std::string text = EscapedMessage(outcome.message, request.photos[ticket]);
        std::fputs(text.c_str(), stderr);
        if (!text.empty() && text.back() != '\n') {
            std::fputc('\n', stderr);
        }
    };
    PositionWriter batch(writer, request.sidecars, report);
    const MaybePosition position = request.remove
                                       ? MaybePosition()
                                       : GeoPosition{DegreesToArcSeconds(request.latitude),
                                                     DegreesToArcSeconds(request.longitude),
                                                     request.altitude,
                                                     {}};
    for (std::size_t i = 0; i < request.photos.size(); ++i) {
        batch.Add(i, request.photos[i], position);
    }
    batch.Commit();
    for (std::size_t i = 0; request.remove && i < done.size(); ++i) {
        if (done[i] != nullptr) {
            // A name is shown, never acted on, as in the failures' messages.
            std::printf("%s: %s\n", EscapedName(request.photos[i]).c_str(), done[i]);
        }
    }
    std::printf("%s\n", UpdatedFilesText(updated.Counts()).c_str());
    return failed == 0 ? 0 : 1;
}

int RunSetCommand(const std::vector<std::string>& args) {
    SetRequest request;
    if (const std::optional<int> status = ParseSetArguments(args, request)) {
        return *status;
    }
    if (const std::optional<int> status = ValidateSetRequest(request)) {
        return *status;
    }
    return WritePosition(request);
}

}  // namespace

const Command kSetCommand = {
    "set",
    "LATITUDE LONGITUDE [--altitude METRES] [--copy-to DIR] [--sidecar-only] "
    "[--sidecar-name name|ext] PHOTO...  |  --remove [options] PHOTO...",
    "write a position (decimal degrees) into each PHOTO, or remove it", RunSetCommand};

}  // namespace geotal::cli
