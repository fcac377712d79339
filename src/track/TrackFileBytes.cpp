#include "track/TrackFileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "support/FileDescriptor.h"

namespace geotal {

void DropCarriageReturnsBeforeLineFeeds(std::string& bytes) {
    char* const begin = bytes.data();
    char* const end = begin + bytes.size();
    char* read = static_cast<char*>(std::memchr(begin, '\r', bytes.size()));
    if (read == nullptr) {
        return;
    }
    char* write = read;
    while (read < end) {
        char* const cr =
            static_cast<char*>(std::memchr(read, '\r', static_cast<size_t>(end - read)));
        char* const stop = cr == nullptr ? end : cr;
        std::memmove(write, read, static_cast<size_t>(stop - read));
        write += stop - read;
        if (cr == nullptr) {
            break;
        }
        if (cr + 1 < end && cr[1] == '\n') {
            read = cr + 1;  // the LF is copied with the next run
        } else {
            *write++ = '\r';
            read = cr + 1;
        }
    }
    bytes.resize(static_cast<size_t>(write - begin));
}

bool ReadTrackFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    try {
        bytes.resize(static_cast<size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;  // the file shrank while being read: keep what arrived
        }
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    DropCarriageReturnsBeforeLineFeeds(bytes);
    return true;
}

}  // namespace geotal
