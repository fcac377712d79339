#include "metadata/PngTextChunks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "support/FileDescriptor.h"

namespace geotal {
namespace {

constexpr std::string_view kSignature = "\x89PNG\r\n\x1a\n";
// A file with more chunks than this is no photo's; it is not walked to its end.
constexpr int kMostChunks = 100000;

bool ReadAt(int fd, std::uint64_t at, char* into, std::size_t size) {
    return ::pread(fd, into, size, static_cast<off_t>(at)) == static_cast<ssize_t>(size);
}

std::uint32_t BigEndian32(const char* bytes) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[3]));
}

}  // namespace

bool HoldsLegacyExifText(const std::string& path) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    char head[8];
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        !ReadAt(fd.get(), 0, head, sizeof head) ||
        std::string_view(head, sizeof head) != kSignature) {
        return false;
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    std::uint64_t at = kSignature.size();
    for (int chunk = 0; chunk < kMostChunks && at + 8 <= size; ++chunk) {
        char header[8];
        if (!ReadAt(fd.get(), at, header, sizeof header)) {
            return false;
        }
        const std::uint32_t length = BigEndian32(header);
        const std::string_view type(header + 4, 4);
        if (type == "IEND") {
            return false;
        }
        if (type == "tEXt" || type == "zTXt" || type == "iTXt") {
            // The keyword ends at the first NUL, within 79 bytes.
            char keyword[80] = {};
            const std::size_t wanted = std::min<std::uint32_t>(length, sizeof keyword - 1);
            if (!ReadAt(fd.get(), at + 8, keyword, wanted)) {
                return false;
            }
            const std::string_view name(keyword);
            if (name == "Raw profile type exif" || name == "Raw profile type APP1") {
                return true;
            }
        }
        at += 12 + static_cast<std::uint64_t>(length);  // length, type, data and CRC
    }
    return false;
}

}  // namespace geotal
