#include "output/ReplaceFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "photo/FileOperations.h"
#include "photo/FlushFiles.h"
#include "support/FileDescriptor.h"
#include "support/SystemError.h"

namespace geotal {
namespace {

bool Fail(const char* what, const std::string& path, int code, std::string& error) {
    error = SystemErrorText(what, path, code);
    return false;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that path finally names, following symbolic links (a link to a missing file names
// the file to create), so that the link itself is never replaced by a plain file.
bool FollowLinks(const std::string& path, std::string& target) {
    constexpr int kMaxLinks = 40;  // the kernel's own limit
    target = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat status {};
        if (::lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return true;  // a missing or other file: creating or writing it says what is wrong
        }
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t length = ::readlink(target.c_str(), buffer.data(), buffer.size() - 1);
        if (length < 0) {
            return false;
        }
        const std::string next(buffer.data(), static_cast<std::size_t>(length));
        target = next.starts_with('/') ? next : FolderOf(target) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

// The last few bytes of a temporary name are ours; the rest is the start of the file's own
// name, cut so that the whole stays within NAME_MAX and never splits a UTF-8 character.
std::string TemporaryName(const std::string& target, int attempt) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string stem = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string suffix =
        ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    if (stem.size() + suffix.size() > NAME_MAX) {
        std::size_t keep = NAME_MAX - suffix.size();
        while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80) {
            --keep;  // stem[keep] continues a character: cut before that character
        }
        stem.resize(keep);
    }
    return folder + stem + suffix;
}

// A name of our own beside target, created exclusively so that no other file is ever opened.
// Mode 0666 lets the umask decide, as for any new file the user makes.
int CreateBeside(const std::string& target, std::string& name) {
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        name = TemporaryName(target, attempt);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;  // errno is EEXIST
}

// For a file whose folder takes no temporary file: the plain way, truncate and write. The file
// is opened before anything is cut, so a file the user may not write keeps its content.
bool WriteInPlace(const std::string& path, const std::string& target, const std::string& bytes,
                  int createError, std::string& error) {
    FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    if (fd.get() < 0) {
        return Fail("Cannot create", path, createError, error);
    }
    const bool done = ::ftruncate(fd.get(), 0) == 0 &&
                      WriteAll(fd.get(), bytes.data(), bytes.size()) && ::fsync(fd.get()) == 0 &&
                      fd.Close();
    return done || Fail("Cannot write", path, errno, error);
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const std::string& bytes, std::string& error,
                         const std::function<bool(const std::string&)>& flushFolder) {
    if (path.empty()) {
        return Fail("Cannot create", "(no file name)", ENOENT, error);
    }
    std::string target;
    if (!FollowLinks(path, target)) {
        return Fail("Cannot write", path, errno, error);
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        return Fail("Cannot write", path, EISDIR, error);
    }
    std::string partial;
    FileDescriptor fd(CreateBeside(target, partial));
    if (fd.get() < 0) {
        const int code = errno;
        const bool folderRefuses = code == EACCES || code == EPERM;
        if (exists && S_ISREG(old.st_mode) && folderRefuses) {
            return WriteInPlace(path, target, bytes, code, error);
        }
        return Fail("Cannot create", path, code, error);
    }
    bool done = (!exists || SetPermissionBits(fd.get(), old.st_mode & 07777)) &&
                WriteAll(fd.get(), bytes.data(), bytes.size()) && ::fsync(fd.get()) == 0;
    done = done && fd.Close();
    if (!done) {
        const int code = errno;
        ::unlink(partial.c_str());
        return Fail("Cannot write", path, code, error);
    }
    if (std::rename(partial.c_str(), target.c_str()) != 0) {
        const int code = errno;
        ::unlink(partial.c_str());
        return Fail("Cannot replace", path, code, error);
    }
    const std::string folder = FolderOf(target);
    errno = 0;
    if (!(flushFolder ? flushFolder(folder) : FlushFolder(folder))) {
        // The new content is in place but may not survive a power cut: no success to claim.
        return Fail("Cannot write", path, errno != 0 ? errno : EIO, error);
    }
    return true;
}

}  // namespace geotal
