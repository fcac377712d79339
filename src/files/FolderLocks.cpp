#include "files/FolderLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include "support/SystemError.h"

namespace geotal {

FolderLocks::Result FolderLocks::Lock(const std::string& folder, std::string& why) {
    const std::string name = folder.empty() ? "." : folder;
    auto fd =
        std::make_unique<FileDescriptor>(::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat status {};
    if (fd->get() < 0 || ::fstat(fd->get(), &status) != 0) {
        why = SystemErrorText("Cannot open", name);
        return Result::Unopenable;
    }
    const std::pair<dev_t, ino_t> key{status.st_dev, status.st_ino};
    if (held_.count(key) != 0) {
        return Result::AlreadyHeld;
    }
    // flock, not fcntl locks: those belong to the process and vanish when any descriptor of the
    // folder is closed; this one lives as long as the descriptor kept here.
    if (::flock(fd->get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            why = SystemErrorText("Cannot lock", name);
            return Result::Unopenable;  // a file system without locks: nothing to hold
        }
        why = "another run of Geotal is updating " + name + "; try again when it has finished";
        return Result::Busy;
    }
    held_.emplace(key, std::move(fd));
    return Result::Locked;
}

}  // namespace geotal
