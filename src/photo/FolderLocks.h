// The folders a run updates, each locked against other runs of the program for as long as the
// run holds it: two runs on one folder would repair away each other's pending files.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "support/FileDescriptor.h"

namespace geotal {

class FolderLocks {
public:
    // Locks the folder, or finds it locked by this object already (under any spelling). False,
    // with why, when another run holds it or it cannot be opened; the lock is not waited for,
    // as a window must not freeze behind another run.
    bool Lock(const std::string& folder, std::string& why);

private:
    std::map<std::pair<dev_t, ino_t>, std::unique_ptr<FileDescriptor>> held_;
};

}  // namespace geotal
