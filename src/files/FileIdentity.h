// Which file a name held at one moment, and whether it still holds that file unchanged.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <optional>
#include <string>

namespace geotal {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};  // moves with any change of content, owner, mode or name
};

// The identity of what path names itself (a link is not followed); none when nothing is there
// or it cannot be looked at.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Whether both are the same file with the same size and times: unchanged in between.
bool IsSameUnchanged(const FileIdentity& a, const FileIdentity& b);

// Whether two names name one existing file. Besides the same device and inode, this finds the
// names that differ in letter case alone on a file system that ignores case (a memory card's
// exFAT): it finds the file by either name, perhaps under another inode number for each, but
// its folder lists only one of them.
bool AreOneFile(const std::string& a, const std::string& b);

}  // namespace geotal
