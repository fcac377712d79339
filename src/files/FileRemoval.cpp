#include "files/FileRemoval.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace geotal {
namespace {

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The rename itself moves the change time on: the file is known by its device, inode, size and
// content time.
bool IsMovedUnchanged(const struct stat& status, const FileIdentity& expected) {
    return status.st_dev == expected.device && status.st_ino == expected.inode &&
           status.st_size == expected.size && SameTime(status.st_mtim, expected.modified);
}

}  // namespace

RemovalResult RemoveAsExpected(const std::string& path, const FileIdentity& expected,
                               const FolderFlush& flushFolder) {
    const std::optional<FileIdentity> now = IdentityOf(path);
    if (!now || !IsSameUnchanged(*now, expected)) {
        return RemovalResult::Changed;
    }
    std::string aside;
    for (int attempt = 0;; ++attempt) {
        aside = UniqueNameBeside(path, attempt);
        if (RenameNoReplace(path, aside)) {
            break;
        }
        if (errno != EEXIST || attempt == 100) {
            return errno == ENOENT ? RemovalResult::Changed : RemovalResult::Failed;
        }
    }
    struct stat moved {};
    if (::lstat(aside.c_str(), &moved) != 0 || !IsMovedUnchanged(moved, expected)) {
        // Another program's file, moved in the instant between the check and the rename: back
        // under its name, unless yet another file took that meanwhile.
        RenameNoReplace(aside, path);
        return RemovalResult::Changed;
    }
    if (::unlink(aside.c_str()) != 0) {
        const int error = errno;
        RenameNoReplace(aside, path);
        errno = error;
        return RemovalResult::Failed;
    }
    if (flushFolder && !FlushFolders({FolderOfName(path)}, flushFolder)) {
        return RemovalResult::NotFlushed;
    }
    return RemovalResult::Removed;
}

}  // namespace geotal
