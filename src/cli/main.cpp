// geotal-cli: the batch front end over geotal_core, one subcommand per capability.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "support/MemoryReuse.h"
#include "support/Version.h"

namespace geotal::cli {

const Command kVersionCommand = {"version", "", "print the program version",
                                 [](const std::vector<std::string>&) {
                                     std::printf("Geotal %s\n", kVersionText);
                                     return 0;
                                 }};

// Each capability registers here as it arrives.
const Command* const kCommands[] = {&kVersionCommand, &kTrackCommand, &kPhotosCommand, &kSetCommand,
                                    &kTagCommand, &kRestoreCommand};

int UsageError(const std::string& reason) {
    std::fprintf(stderr, "geotal-cli: %s (try geotal-cli --help)\n", reason.c_str());
    return kUsageError;
}

int UsageError(const Command& command, const std::string& reason) {
    std::fprintf(stderr, "geotal-cli: %s: %s (try geotal-cli %s --help)\n", command.name,
                 reason.c_str(), command.name);
    return kUsageError;
}

namespace {

void PrintHelp() {
    std::printf("Usage: geotal-cli COMMAND [ARGUMENTS]\n\nCommands:\n");
    for (const Command* command : kCommands) {
        std::printf("  %s %s\n      %s\n", command->name, command->synopsis, command->summary);
    }
    std::printf(
        "\nOptions take their value as --opt VALUE or --opt=VALUE. Use -- before a name that\n"
        "starts with '-'. geotal-cli COMMAND --help tells more about one command;\n"
        "geotal-cli --version prints the version.\n");
}

}  // namespace
}  // namespace geotal::cli

int main(int argc, char** argv) {
    using namespace geotal::cli;
    geotal::KeepPhotoBuffersForReuse();
    if (argc < 2) {
        return UsageError("no command given");
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp();
        return 0;
    }
    if (name == "--version") {
        return kVersionCommand.run({});
    }
    for (const Command* command : kCommands) {
        if (name == command->name) {
            return command->run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    return UsageError("unknown command '" + name + "'");
}
