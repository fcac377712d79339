// Taking a file away only while it is still the file that was looked at.
#pragma once

#include <string>

#include "files/FileIdentity.h"
#include "files/FileReplacement.h"

namespace geotal {

enum class RemovalResult {
    Removed,     // gone, and its folder flushed
    Changed,     // another program changed, replaced or removed it meanwhile: left as it is
    Failed,      // the system refused (errno says why); the file is still there
    NotFlushed,  // removed, but the folder could not be flushed: it may come back after a power cut
};

// Removes the file at path (no link followed) while it is still the file expected, unchanged.
// The file is first moved aside to a name of this program's own in the same folder, in one
// rename, so that the check of what was moved and the removal concern one file: a file another
// program puts under path meanwhile is never the one removed, and one moved aside that is not
// the file expected is moved back.
RemovalResult RemoveAsExpected(const std::string& path, const FileIdentity& expected,
                               const FolderFlush& flushFolder);

}  // namespace geotal
