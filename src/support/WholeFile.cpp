#include "support/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "support/FileDescriptor.h"
#include "support/SystemError.h"

namespace geotal {
namespace {

bool Fail(const char* what, const std::string& path, int code, std::string& error) {
    error = SystemErrorText(what, path, code);
    return false;
}

}  // namespace

bool ReadWholeFile(const std::string& path, WholeFile& file, std::string& error) {
    file.bytes.clear();
    // Non-blocking, so that a pipe under a photo's or a track's name is refused, not waited on.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        return Fail("Cannot open", path, errno, error);
    }
    return ReadWholeFile(fd.get(), path, file, error);
}

bool ReadWholeFile(int fd, const std::string& path, WholeFile& file, std::string& error) {
    file.bytes.clear();
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return Fail("Cannot open", path, errno, error);
    }
    if (S_ISDIR(status.st_mode)) {
        return Fail("Cannot read", path, EISDIR, error);
    }
    if (!S_ISREG(status.st_mode)) {
        return Fail("Not a regular file:", path, EINVAL, error);
    }
    file.mode = status.st_mode & 07777;
    try {
        file.bytes.resize(static_cast<std::size_t>(status.st_size));
    } catch (const std::bad_alloc&) {
        return Fail("Cannot read", path, ENOMEM, error);
    } catch (const std::length_error&) {
        return Fail("Cannot read", path, EFBIG, error);
    }
    std::size_t done = 0;
    while (done < file.bytes.size()) {
        const ssize_t got = ::pread(fd, file.bytes.data() + done, file.bytes.size() - done,
                                    static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return Fail("Cannot read", path, errno, error);
        }
        if (got == 0) {
            break;  // the file shrank while it was read: keep what arrived
        }
        done += static_cast<std::size_t>(got);
    }
    file.bytes.resize(done);
    return true;
}

}  // namespace geotal
