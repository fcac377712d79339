#include "files/PhotoFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

namespace geotal {

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    // The kernel's own limit on links in a row; past it the open reports the loop.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current;
        }
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t size = ::readlink(current.c_str(), target.data(), PATH_MAX);
        if (size < 0) {
            return current;
        }
        const std::string text(target.data(), static_cast<std::size_t>(size));
        const std::size_t slash = current.rfind('/');
        current = (!text.empty() && text.front() == '/') || slash == std::string::npos
                      ? text
                      : current.substr(0, slash + 1) + text;
    }
    return path;
}

std::string UnreadableReason(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::strerror(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return std::strerror(EISDIR);
    }
    if (!S_ISREG(status.st_mode)) {
        return "not a regular file";
    }
    if (::access(path.c_str(), R_OK) != 0) {
        return std::strerror(errno);
    }
    return {};
}

Changeable CheckChangeable(const std::string& path, std::string& reason) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return Changeable::Yes;
    }
    // The user's own verdict on the file, as the system keeps it: root passes, as always.
    if (::access(path.c_str(), W_OK) != 0) {
        reason = std::strerror(errno);
        return Changeable::NotForUser;
    }
    if (S_ISREG(status.st_mode) && status.st_nlink > 1) {
        reason = std::to_string(status.st_nlink);
        return Changeable::SeveralNames;
    }
    return Changeable::Yes;
}

}  // namespace geotal
