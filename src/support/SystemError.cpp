#include "support/SystemError.h"

#include <unistd.h>

#include <cstring>

namespace geotal {

std::string SystemErrorText(const std::string& what, const std::string& path, int code) {
    return what + " " + path + ": " + std::strerror(code);
}

bool WriteAll(int fd, const void* bytes, std::size_t size) {
    const auto* data = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace geotal
