// One subcommand of geotal-cli.
#pragma once

#include <string>
#include <vector>

namespace geotal::cli {

// Exit status of a usage error (wrong or missing arguments).
constexpr int kUsageError = 2;

struct Command {
    const char* name;
    const char* synopsis;  // arguments, as shown by --help
    const char* summary;   // one line
    int (*run)(const std::vector<std::string>& args);
};

// Each in its own file; main lists them.
extern const Command kTrackCommand;
extern const Command kPhotosCommand;
extern const Command kSetCommand;
extern const Command kTagCommand;
extern const Command kRestoreCommand;

// Prints "geotal-cli: reason" and the hint to --help on standard error; returns kUsageError.
int UsageError(const std::string& reason);
// The same for a reason within one command: "geotal-cli: name: reason", hint to its --help.
int UsageError(const Command& command, const std::string& reason);

}  // namespace geotal::cli
