// The photo file the writer changes: the file behind a symbolic link, and whether the running
// user may change it.
#pragma once

#include <string>

namespace geotal {

// The path of the file a chain of symbolic links ends at (relative targets taken from each
// link's folder), so that the photo itself is written and its temporary files go beside it.
// A path that is no link, or names nothing, comes back as it is; so does a loop of links.
std::string FollowLinks(const std::string& path);

enum class Changeable {
    Yes,           // or there is no such file, which the opening step reports
    NotForUser,    // the running user may not write it (read-only, or another user's)
    SeveralNames,  // hard links: a new file under one name would part it from the others
};

// Why the file at path cannot be read as a photo at all (missing, a dangling link, a folder,
// no permission: the system's reason), or empty when it is a regular file that can be read.
std::string UnreadableReason(const std::string& path);

// Whether the photo at path (no link) may be replaced by a changed copy. For NotForUser,
// reason is the system's reason; for SeveralNames, the count of names.
Changeable CheckChangeable(const std::string& path, std::string& reason);

}  // namespace geotal
