// The folders a command reads from, checked before any work starts.
#pragma once

#include <string>

#include "cli/Command.h"

namespace geotal::cli {

// Whether folder is a folder whose entries can be listed. When not, says so on standard
// error, naming the folder, after option ("--gps") when one gave it, and the reason. The core
// readers would just find no files there, and an empty result would look like a folder without
// photos or tracks.
bool CheckInputFolder(const Command& command, const std::string& folder,
                      const std::string& option = "");

// Whether path names a regular file (after links), which a command may read on its own.
bool IsRegularFile(const std::string& path);

}  // namespace geotal::cli
