#include "photo/FolderLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include "support/SystemError.h"

namespace geotal {

bool FolderLocks::Lock(const std::string& folder, std::string& why) {
    const std::string name = folder.empty() ? "." : folder;
    auto fd =
        std::make_unique<FileDescriptor>(::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat status {};
    if (fd->get() < 0 || ::fstat(fd->get(), &status) != 0) {
        why = SystemErrorText("Cannot open", name);
        return false;
    }
    const std::pair<dev_t, ino_t> key{status.st_dev, status.st_ino};
    if (held_.count(key) != 0) {
        return true;
    }
    // flock, not fcntl locks: those belong to the process and vanish when any descriptor of the
    // folder is closed; this one lives as long as the descriptor kept here.
    if (::flock(fd->get(), LOCK_EX | LOCK_NB) != 0) {
        why = errno == EWOULDBLOCK
                  ? "another run of Geotal is updating " + name + "; try again when it has finished"
                  : SystemErrorText("Cannot lock", name);
        return false;
    }
    held_.emplace(key, std::move(fd));
    return true;
}

}  // namespace geotal
