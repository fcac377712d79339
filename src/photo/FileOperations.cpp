#include "photo/FileOperations.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "support/FileDescriptor.h"
#include "support/SystemError.h"
#include "support/TraceLog.h"
#include "support/WholeFile.h"

namespace geotal {
namespace {

// A partial copy's name: this and six letters of mkstemp's.
constexpr std::string_view kPartialCopyPrefix = ".geotal-";

// Asks the disk to start writing the file now, without waiting: by the time its batch is
// flushed, most of it is there, and the disk worked while the next photos were prepared.
// Only a hint; a file system that ignores it is flushed all the same.
bool StartWriteBack(int fd) {
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

bool IsUnsupported(int error) {
    return error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS;
}

}  // namespace

bool WriteNewFile(const std::string& path, const void* data, std::size_t size, mode_t mode,
                  std::string& error, Flush flush) {
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
        error = SystemErrorText("Cannot create", path);
        return false;
    }
    // fchmod, not the open mode: the umask must not narrow the photo's permissions.
    const bool written = SetPermissionBits(fd.get(), mode) && WriteAll(fd.get(), data, size) &&
                         (flush == Flush::Later ? StartWriteBack(fd.get()) : ::fsync(fd.get()) == 0);
    if (!written || !fd.Close()) {
        error = SystemErrorText("Cannot write", path);
        ::unlink(path.c_str());  // ours alone: O_EXCL made it
        return false;
    }
    return true;
}

namespace {

bool IsSameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What is at to, which exists, compared with the source's bytes.
CopyResult CompareExisting(const std::string& from, const WholeFile& source, const std::string& to,
                           std::string& error) {
    struct stat fromStatus {};
    struct stat toStatus {};
    if (::stat(from.c_str(), &fromStatus) == 0 && ::stat(to.c_str(), &toStatus) == 0 &&
        IsSameFile(fromStatus, toStatus)) {
        error = "Cannot copy " + from + " onto itself";
        return CopyResult::Failed;
    }
    WholeFile existing;
    if (!ReadWholeFile(to, existing, error)) {
        return CopyResult::Failed;
    }
    return existing.bytes == source.bytes ? CopyResult::AlreadyThere : CopyResult::OtherFileThere;
}

}  // namespace

CopyResult CopyFileNoReplace(const std::string& from, const std::string& to, std::string& error) {
    WholeFile source;
    if (!ReadWholeFile(from, source, error)) {
        return CopyResult::Failed;
    }
    struct stat status {};
    if (::lstat(to.c_str(), &status) == 0) {
        return CompareExisting(from, source, to, error);
    }
    // A private name first, short enough beside any photo name, so a half copy never has the
    // backup's name.
    const std::size_t slash = to.rfind('/');
    std::string partial = (slash == std::string::npos ? std::string() : to.substr(0, slash + 1)) +
                          std::string(kPartialCopyPrefix) + "XXXXXX";
    FileDescriptor fd(::mkstemp(partial.data()));
    if (fd.get() < 0) {
        error = SystemErrorText("Cannot create", partial);
        return CopyResult::Failed;
    }
    const bool written = SetPermissionBits(fd.get(), source.mode) &&
                         WriteAll(fd.get(), source.bytes.data(), source.bytes.size()) &&
                         ::fsync(fd.get()) == 0;
    if (!written || !fd.Close()) {
        error = SystemErrorText("Cannot write", to);
        ::unlink(partial.c_str());
        return CopyResult::Failed;
    }
    if (RenameNoReplace(partial, to)) {
        return CopyResult::Copied;
    }
    const int renameError = errno;
    ::unlink(partial.c_str());
    if (renameError == EEXIST) {
        return CompareExisting(from, source, to, error);  // another copy got there first
    }
    errno = renameError;
    error = SystemErrorText("Cannot write", to);
    return CopyResult::Failed;
}

bool SetPermissionBits(int fd, mode_t mode) {
    // EPERM too: on our own new file it can only mean a file system without permissions.
    return ::fchmod(fd, mode) == 0 || IsUnsupported(errno) || errno == EPERM;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without the no-replace flag: check first. Not atomic, but the best left.
    struct stat status {};
    if (::lstat(to.c_str(), &status) == 0 || errno != ENOENT) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool ReplaceWith(const std::string& newFile, const std::string& path) {
    return std::rename(newFile.c_str(), path.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

void RemovePartialCopies(const std::string& folder) {
    const std::string name = folder.empty() ? "." : folder;
    DIR* dir = ::opendir(name.c_str());
    if (dir == nullptr) {
        return;  // the copy itself will say what is wrong with the folder
    }
    std::vector<std::string> partials;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (entryName.size() == kPartialCopyPrefix.size() + 6 &&
            entryName.compare(0, kPartialCopyPrefix.size(), kPartialCopyPrefix) == 0) {
            partials.push_back(name + "/" + entryName);
        }
    }
    ::closedir(dir);
    for (const std::string& partial : partials) {
        struct stat status {};
        if (::lstat(partial.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::unlink(partial.c_str()) == 0) {
            TraceValue("  Removed a partial copy", partial);
        }
    }
}

}  // namespace geotal
