// Replacing a file's whole content so that the old content stays until the new is on disk.
#pragma once

#include <functional>
#include <string>

namespace geotal {

// Writes bytes to a new file beside the file path names, flushes it, renames it over that file,
// then flushes the folder so that the rename survives a power cut. A symbolic link is followed:
// its target gets the content and the link stays. On failure the file is untouched, nothing is
// left beside it, and error names path and the system's reason. A file that another program
// changes, makes or removes while the new one is written is left as that program made it, and
// the call fails. A replaced file keeps its permission bits; a new one gets the umask's.
//
// Where the folder takes no new file but the file itself may be written (a writable file in a
// folder of another user), the file is truncated and written in place instead: the new content
// then arrives, but a failure half-way leaves it short.
bool ReplaceFileContents(
    const std::string& path, const std::string& bytes, std::string& error,
    const std::function<bool(const std::string& folder)>& flushFolder = nullptr);

}  // namespace geotal
