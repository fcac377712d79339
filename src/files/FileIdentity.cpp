#include "files/FileIdentity.h"

#include <dirent.h>
#include <sys/stat.h>

#include "support/AsciiText.h"

namespace geotal {
namespace {

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino, status.st_size, status.st_mtim,
                        status.st_ctim};
}

bool IsSameUnchanged(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           SameTime(a.modified, b.modified) && SameTime(a.changed, b.changed);
}

bool AreOneFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) {
        return false;
    }
    if (first.st_dev == second.st_dev && first.st_ino == second.st_ino) {
        return true;
    }
    struct stat folderA {};
    struct stat folderB {};
    const std::string folder = FolderOf(a);
    if (first.st_dev != second.st_dev || ::stat(folder.c_str(), &folderA) != 0 ||
        ::stat(FolderOf(b).c_str(), &folderB) != 0 || folderA.st_ino != folderB.st_ino ||
        !EqualsNoCase(NameOf(a), NameOf(b))) {
        return false;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool listsA = false;
    bool listsB = false;
    while (const dirent* entry = ::readdir(dir)) {
        listsA = listsA || NameOf(a) == entry->d_name;
        listsB = listsB || NameOf(b) == entry->d_name;
    }
    ::closedir(dir);
    return !(listsA && listsB);
}

}  // namespace geotal
