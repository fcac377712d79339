#include "track/TrackFileBytes.h"

#include <cstring>

#include "support/TraceLog.h"
#include "support/WholeFile.h"

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
    WholeFile file;
    std::string error;
    if (!ReadWholeFile(path, file, error)) {
        bytes.clear();
        Trace("  " + error);
        return false;
    }
    bytes = std::move(file.bytes);
    DropCarriageReturnsBeforeLineFeeds(bytes);
    return true;
}

}  // namespace geotal
