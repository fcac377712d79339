// Runs geotal-cli in a child process and collects its exit status and output.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace geotal::test {

struct CliRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Environment variables the child gets on top of this process's own, such as {"TZ", "UTC0"}.
using Environment = std::vector<std::pair<std::string, std::string>>;

// Standard output and error go through files in scratchFolder.
CliRun RunGeotalCli(const std::string& scratchFolder, const std::vector<std::string>& args,
                    const Environment& environment = {});

inline constexpr const char* kSetpriv = "/usr/bin/setpriv";

// Runs geotal-cli as the user uid (and the group of the same number, no other groups), through
// setpriv; only root may do so.
CliRun RunGeotalCliAs(unsigned uid, const std::string& scratchFolder,
                      const std::vector<std::string>& args);

// Runs any program (argv[0] a full path) the same way.
CliRun RunProgram(const std::string& scratchFolder, const std::vector<std::string>& argv,
                  const Environment& environment = {});

// The arguments that run geotal-cli as on a FAT memory card: no hard links, no permissions.
std::vector<std::string> OnFatLikeFileSystem(const std::vector<std::string>& args);

// Starts geotal-cli with output discarded and returns its process id.
int StartGeotalCli(const std::vector<std::string>& args);

// Starts any program (argv[0] a full path) the same way.
int StartProgram(const std::vector<std::string>& argv);

}  // namespace geotal::test
