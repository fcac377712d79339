#include "cli/CopyFolder.h"

#include <cstdio>

#include "cli/PhotoRow.h"
#include "photo/PhotoWriter.h"

namespace geotal::cli {

bool CheckCopyFolderUsable(const Command& command, const std::string& copyFolder) {
    if (IsUsableCopyFolder(copyFolder)) {
        return true;
    }
    std::fprintf(stderr,
                 "geotal-cli: %s: --copy-to '%s' is not an existing folder we can write to; "
                 "nothing was written\n",
                 command.name, EscapedName(copyFolder).c_str());
    return false;
}

bool CheckCopyFolderApart(const Command& command, const std::string& copyFolder,
                          const std::string& folder, const std::string& what) {
    if (!IsSameFolder(copyFolder, folder)) {
        return true;
    }
    std::fprintf(stderr,
                 "geotal-cli: %s: --copy-to '%s' is %s itself; a copy there would replace the "
                 "original; nothing was written\n",
                 command.name, EscapedName(copyFolder).c_str(), what.c_str());
    return false;
}

}  // namespace geotal::cli
