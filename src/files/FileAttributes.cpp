#include "files/FileAttributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "files/FileOperations.h"
#include "support/FileDescriptor.h"
#include "support/SystemError.h"

namespace geotal {
namespace {

bool Fail(const std::string& what, const std::string& path, std::string& error) {
    error = SystemErrorText(what, path);
    return false;
}

bool NoAttributesHere(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP;
}

// Asks for a size, then reads; grows and asks again when the answer changed in between.
template <typename Call>
bool ReadSized(Call call, std::string& bytes) {
    for (;;) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0) {
            return false;
        }
        bytes.resize(static_cast<std::size_t>(size));
        const ssize_t got = call(bytes.data(), bytes.size());
        if (got >= 0) {
            bytes.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) {
            return false;
        }
    }
}

// The attribute names of an open file; none where the file system keeps none.
bool AttributeNames(int fd, std::vector<std::string>& names) {
    std::string list;
    if (!ReadSized([fd](char* buffer, std::size_t size) { return ::flistxattr(fd, buffer, size); },
                   list)) {
        return NoAttributesHere(errno);
    }
    for (std::size_t at = 0; at < list.size(); at = list.find('\0', at) + 1) {
        names.emplace_back(list.c_str() + at);
    }
    return true;
}

bool AttributeValue(int fd, const std::string& name, std::string& value) {
    return ReadSized(
        [fd, &name](char* buffer, std::size_t size) {
            return ::fgetxattr(fd, name.c_str(), buffer, size);
        },
        value);
}

bool CopyOwner(int to, const struct stat& from, const struct stat& now, const std::string& path,
               std::string& error) {
    if (from.st_uid == now.st_uid && from.st_gid == now.st_gid) {
        return true;
    }
    if (::fchown(to, from.st_uid, from.st_gid) == 0) {
        return true;
    }
    if (from.st_uid != now.st_uid) {
        // Another user's photo, written by one who may not give files away: the new version
        // would be this user's, and its owner would lose it.
        error = std::string(
                    "the photo belongs to another user, and this one may not give its new "
                    "version to them: ") +
                std::strerror(errno);
        return false;
    }
    if (errno != EPERM && errno != EINVAL) {
        return Fail("Cannot set the group of", path, error);
    }
    // The user's own photo: its group may still be one of the user's own.
    if (::fchown(to, static_cast<uid_t>(-1), from.st_gid) != 0 && errno != EPERM &&
        errno != EINVAL) {
        return Fail("Cannot set the group of", path, error);
    }
    return true;
}

bool CopyAttributes(int from, int to, const std::string& path, std::string& error) {
    std::vector<std::string> wanted;
    std::vector<std::string> present;
    if (!AttributeNames(from, wanted) || !AttributeNames(to, present)) {
        return Fail("Cannot list the attributes of", path, error);
    }
    // A default ACL of the folder may have given the new file an ACL the photo never had.
    for (const std::string& name : present) {
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() &&
            ::fremovexattr(to, name.c_str()) != 0 && errno != ENODATA) {
            return Fail("Cannot remove attribute " + name + " of", path, error);
        }
    }
    for (const std::string& name : wanted) {
        std::string value;
        std::string current;
        if (!AttributeValue(from, name, value)) {
            if (errno == ENODATA) {
                continue;  // removed since it was listed
            }
            return Fail("Cannot read attribute " + name + " for", path, error);
        }
        // One the system set alike (a security label) needs no rights to set it again.
        if (AttributeValue(to, name, current) && current == value) {
            continue;
        }
        if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) {
            return Fail("Cannot set attribute " + name + " of", path, error);
        }
    }
    return true;
}

}  // namespace

bool CopyFileAttributes(const std::string& from, const std::string& to, std::string& error) {
    FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
    FileDescriptor target(::open(to.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat fromStatus {};
    struct stat toStatus {};
    if (source.get() < 0 || ::fstat(source.get(), &fromStatus) != 0) {
        return Fail("Cannot open", from, error);
    }
    if (target.get() < 0 || ::fstat(target.get(), &toStatus) != 0) {
        return Fail("Cannot open", to, error);
    }
    // The owner first, since a change of owner clears the set-user and set-group bits; the
    // mode last, after the ACL, whose mask it sets to the group's bits as the photo had them.
    if (!CopyOwner(target.get(), fromStatus, toStatus, to, error) ||
        !CopyAttributes(source.get(), target.get(), to, error)) {
        return false;
    }
    if (!SetPermissionBits(target.get(), fromStatus.st_mode & 07777)) {
        return Fail("Cannot set the permissions of", to, error);
    }
    return true;
}

}  // namespace geotal
