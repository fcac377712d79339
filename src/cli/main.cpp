// geotal-cli: the batch front end over geotal_core, one subcommand per capability.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "support/Version.h"

namespace geotal::cli {

int RunTrackCommand(const std::vector<std::string>& args);   // TrackCommand.cpp
int RunPhotosCommand(const std::vector<std::string>& args);  // PhotosCommand.cpp
int RunSetCommand(const std::vector<std::string>& args);     // SetCommand.cpp

// Each capability registers here as it arrives.
const Command kCommands[] = {
    {"version", "", "print the program version",
     [](const std::vector<std::string>&) {
         std::printf("Geotal %s\n", kVersionText);
         return 0;
     }},
    {"track", "GPSFOLDER", "list every track point of the GPX and CSV files in GPSFOLDER",
     RunTrackCommand},
    {"photos", "PHOTOFOLDER [--format 1|2|3]",
     "list the photos of PHOTOFOLDER with time, position and mark, as the photo list shows them",
     RunPhotosCommand},
    {"set", "LATITUDE LONGITUDE [--altitude METRES] [--copy-to DIR] PHOTO...",
     "write a position (decimal degrees) into each PHOTO", RunSetCommand},
};

int UsageError(const std::string& reason) {
    std::fprintf(stderr, "geotal-cli: %s (try geotal-cli --help)\n", reason.c_str());
    return kUsageError;
}

namespace {

void PrintHelp() {
    std::printf("Usage: geotal-cli COMMAND [ARGUMENTS]\n\nCommands:\n");
    for (const Command& command : kCommands) {
        std::printf("  %s %s\n      %s\n", command.name, command.synopsis, command.summary);
    }
}

}  // namespace
}  // namespace geotal::cli

int main(int argc, char** argv) {
    using namespace geotal::cli;
    if (argc < 2) {
        return UsageError("no command given");
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp();
        return 0;
    }
    for (const Command& command : kCommands) {
        if (name == command.name) {
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    return UsageError("unknown command '" + name + "'");
}
