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
    enum class Result {
        Locked,       // newly, by this object
        AlreadyHeld,  // by this object, under this or another spelling
        Busy,         // another run holds it; why says so
        Unopenable,   // not a folder that can be opened; what is done in it will say why
    };

    // Locks the folder. The lock is not waited for, as a window must not freeze behind
    // another run.
    Result Lock(const std::string& folder, std::string& why);

private:
    std::map<std::pair<dev_t, ino_t>, std::unique_ptr<FileDescriptor>> held_;
};

}  // namespace geotal
