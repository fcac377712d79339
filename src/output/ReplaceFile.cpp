#include "output/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "support/FileDescriptor.h"
#include "support/SystemError.h"

namespace geotal {
namespace {

bool Fail(const char* what, const std::string& path, int code, std::string& error) {
    error = SystemErrorText(what, path, code);
    return false;
}

// A name of our own beside path, created exclusively so that no other file is ever opened.
// Mode 0666 lets the umask decide, as for any new file the user makes.
int CreateBeside(const std::string& path, std::string& name) {
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        name = path + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;  // errno is EEXIST
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const std::string& bytes, std::string& error) {
    if (path.empty()) {
        return Fail("Cannot create", "(no file name)", ENOENT, error);
    }
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        return Fail("Cannot write", path, EISDIR, error);
    }
    std::string partial;
    FileDescriptor fd(CreateBeside(path, partial));
    if (fd.get() < 0) {
        return Fail("Cannot create", path, errno, error);
    }
    if (exists && ::fchmod(fd.get(), old.st_mode & 07777) != 0) {
        // Some file systems (FAT) have no permission bits to set; the export is still good.
    }
    bool done = WriteAll(fd.get(), bytes.data(), bytes.size()) && ::fsync(fd.get()) == 0;
    done = done && fd.Close();
    if (!done) {
        const int code = errno;
        ::unlink(partial.c_str());
        return Fail("Cannot write", path, code, error);
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        const int code = errno;
        ::unlink(partial.c_str());
        return Fail("Cannot replace", path, code, error);
    }
    return true;
}

}  // namespace geotal
