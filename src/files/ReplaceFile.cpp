#include "files/ReplaceFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "files/FileReplacement.h"
#include "files/FlushFiles.h"
#include "support/FileDescriptor.h"
#include "support/SystemError.h"

namespace geotal {
namespace {

bool Fail(const char* what, const std::string& path, int code, std::string& error) {
    error = SystemErrorText(what, path, code);
    return false;
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
        target = next.starts_with('/') ? next : FolderOfName(target) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

// For a file whose folder takes no new file: the plain way, truncate and write. The file is
// opened before anything is cut, so a file the user may not write keeps its content.
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

bool ReadForReplacement(const std::string& path, std::string& bytes, ReadState& state) {
    bytes.clear();
    state.identity.reset();
    // Non-blocking, so that a pipe under the name is refused, not waited on.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        return errno == ENOENT;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    state.identity =
        FileIdentity{status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

namespace {

enum class Care { Plain, AsAPhoto };

bool Replace(const std::string& path, const std::string& bytes, std::string& error,
             const std::function<bool(const std::string&)>& flushFolder,
             const std::optional<ReadState>& readAs, Care care) {
    if (path.empty()) {
        return Fail("Cannot create", "(no file name)", ENOENT, error);
    }
    std::string target;
    if (!FollowLinks(path, target)) {
        return Fail("Cannot write", path, errno, error);
    }
    PutOptions options;
    options.flushFolder = flushFolder ? flushFolder : FolderFlush(FlushFolder);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            return Fail("Cannot write", path, EISDIR, error);
        }
        options.expected = IdentityOf(target);
        options.mode = old.st_mode & 07777;  // a replaced file keeps its permission bits
        if (care == Care::AsAPhoto) {
            options.carryFrom = target;
        }
    }
    if (readAs) {
        options.expected = readAs->identity;
    }
    const PutOutcome put = PutNewContents(target, bytes, options);
    switch (put.result) {
        case PutResult::Done:
            return true;
        case PutResult::NotCreated:
            if (exists && S_ISREG(old.st_mode) && (put.code == EACCES || put.code == EPERM)) {
                if (care == Care::AsAPhoto) {
                    error = SystemErrorText("Cannot create a new file beside", path, put.code) +
                            " (its folder takes no new file, and rewriting it in place could "
                            "leave it cut short; it was left as it was)";
                    return false;
                }
                return WriteInPlace(path, target, bytes, put.code, error);
            }
            return Fail("Cannot create", path, put.code, error);
        case PutResult::Failed:
            return Fail("Cannot write", path, put.code, error);
        case PutResult::NotRenamed:
            return Fail("Cannot replace", path, put.code, error);
        case PutResult::NotCarried:
            error = put.detail + " (" + path + " was left as it was)";
            return false;
        case PutResult::TargetChanged:
            error = "Cannot replace " + path +
                    ": another program changed, made or removed it meanwhile; it was left as "
                    "that program made it";
            return false;
        case PutResult::NotFlushed:
            // The new content is in place but may not survive a power cut: no success to claim.
            return Fail("Cannot write", path, put.code, error);
    }
    return false;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const std::string& bytes, std::string& error,
                         const std::function<bool(const std::string&)>& flushFolder,
                         const std::optional<ReadState>& readAs) {
    return Replace(path, bytes, error, flushFolder, readAs, Care::Plain);
}

bool ReplaceKeptFile(const std::string& path, const std::string& bytes, const ReadState& readAs,
                     std::string& error) {
    return Replace(path, bytes, error, nullptr, readAs, Care::AsAPhoto);
}

}  // namespace geotal
