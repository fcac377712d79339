// geotal-cli set LATITUDE LONGITUDE PHOTO...: writes one position into photo files.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "photo/PhotoWriter.h"
#include "support/Angles.h"
#include "support/AsciiText.h"

namespace geotal::cli {
namespace {

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

void PrintSetHelp() {
    std::printf(
        "Usage: geotal-cli set LATITUDE LONGITUDE [--altitude METRES] [--copy-to DIR] PHOTO...\n\n"
        "Writes the position (decimal degrees, south and west negative) and the altitude\n"
        "(metres, default 0, negative below sea level) into each PHOTO as EXIF GPS tags, the\n"
        "way Update photo files does. With --copy-to, each photo is first copied into DIR.\n"
        "Failures go to standard error and the next photo is tried.\n"
        "Exit status: 0 all written, 1 some photo failed, 2 wrong arguments.\n"
        "Use -- before photo names that start with \"--\".\n");
}

}  // namespace

int RunSetCommand(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    double altitude = 0;
    bool copyFiles = false;
    std::string copyFolder;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--help") {
            PrintSetHelp();
            return 0;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const bool isAltitude = arg == "--altitude" || arg.rfind("--altitude=", 0) == 0;
        const bool isCopyTo = arg == "--copy-to" || arg.rfind("--copy-to=", 0) == 0;
        if (isAltitude || isCopyTo) {
            const std::size_t equals = arg.find('=');
            std::string value;
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return UsageError("set: " + arg + " needs a value");
            }
            if (isAltitude && !ParseNumber(value, altitude)) {
                return UsageError("set: --altitude takes metres, not '" + value + "'");
            }
            if (isCopyTo) {
                copyFiles = true;
                copyFolder = value;
            }
            continue;
        }
        // Single dashes stay positional: negative coordinates and photos named "-x.jpg".
        if (arg.rfind("--", 0) == 0) {
            return UsageError("set: unknown option '" + arg + "'");
        }
        positional.push_back(arg);
    }
    if (positional.size() < 3) {
        return UsageError("set: LATITUDE, LONGITUDE and at least one PHOTO are needed");
    }
    double latitude = 0;
    double longitude = 0;
    if (!ParseNumber(positional[0], latitude) || std::fabs(latitude) > 90) {
        return UsageError("set: LATITUDE must be decimal degrees from -90 to 90, not '" +
                          positional[0] + "'");
    }
    if (!ParseNumber(positional[1], longitude) || std::fabs(longitude) > 180) {
        return UsageError("set: LONGITUDE must be decimal degrees from -180 to 180, not '" +
                          positional[1] + "'");
    }
    if (latitude == 0 && longitude == 0) {
        return UsageError("set: 0 0 stands for \"no position\" and is never written");
    }
    if (copyFiles) {
        copyFolder = WithoutTrailingSlashes(copyFolder);
        if (!IsUsableCopyFolder(copyFolder)) {
            std::fprintf(stderr,
                         "geotal-cli: set: --copy-to '%s' is not an existing folder we can write "
                         "to; nothing was written\n",
                         copyFolder.c_str());
            return kUsageError;
        }
        for (std::size_t i = 2; i < positional.size(); ++i) {
            const std::string folder = FolderOf(positional[i]);
            if (IsSameFolder(copyFolder, folder.empty() ? "." : folder)) {
                std::fprintf(stderr,
                             "geotal-cli: set: --copy-to '%s' is the folder of %s itself; a copy "
                             "there would replace the original; nothing was written\n",
                             copyFolder.c_str(), positional[i].c_str());
                return kUsageError;
            }
        }
    }

    PhotoWriter writer;
    writer.SetCopyOptions(copyFiles, copyFolder);
    int updated = 0;
    int failed = 0;
    for (std::size_t i = 2; i < positional.size(); ++i) {
        const std::string& path = positional[i];
        const WriteOutcome outcome = writer.PutFileLongLat(
            path, DegreesToArcSeconds(latitude), DegreesToArcSeconds(longitude), altitude);
        if (outcome.result == WriteResult::Written) {
            ++updated;
            continue;
        }
        ++failed;
        const std::string& text = outcome.message;
        std::fputs(text.c_str(), stderr);
        if (!text.empty() && text.back() != '\n') {
            std::fputc('\n', stderr);
        }
    }
    std::printf("%d image files were successfully updated.\n", updated);
    return failed == 0 ? 0 : 1;
}

}  // namespace geotal::cli
