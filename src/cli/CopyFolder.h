// The --copy-to folder, checked once before any photo is touched: a backup that cannot be made
// must not be discovered one photo at a time.
#pragma once

#include <string>

#include "cli/Command.h"

namespace geotal::cli {

// Whether copies can be made in copyFolder; when not, says so on standard error.
bool CheckCopyFolderUsable(const Command& command, const std::string& copyFolder);

// Whether copyFolder is another folder than folder, which `what` names ("the photo folder");
// when it is the same, a copy would replace the original, and this says so on standard error.
// Folder names are shown escaped as EscapedName does; `what` is shown as given, so a name in it
// comes escaped.
bool CheckCopyFolderApart(const Command& command, const std::string& copyFolder,
                          const std::string& folder, const std::string& what);

}  // namespace geotal::cli
