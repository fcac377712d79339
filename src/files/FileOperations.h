// File operations that never truncate a file, nor replace one except a photo by its whole,
// finished new version.
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <string>

#include "files/FileReplacement.h"

namespace geotal {

// Creates path (failing if any file of that name exists), writes the bytes with the given
// permission bits and, with Flush::Now, flushes them to disk. A failed write leaves no file
// behind.
bool WriteNewFile(const std::string& path, const void* data, std::size_t size, mode_t mode,
                  std::string& error, Flush flush = Flush::Now);

enum class CopyResult {
    Copied,          // to is a new, whole copy of from
    AlreadyThere,    // to already held the same bytes; it was left alone
    OtherFileThere,  // to holds something else; it was left alone and nothing was copied
    Failed,          // error says why; to, if any, was left alone
};

// Copies from to a new file to, which appears only once the whole copy is on disk. An existing
// file at to is never replaced. Fails when both names are the same file, so a copy never stands
// in for itself.
CopyResult CopyFileNoReplace(const std::string& from, const std::string& to, std::string& error);

bool RemoveFile(const std::string& path);

// Removes the partial copies that CopyFileNoReplace leaves in folder when it is killed; only
// for a folder no other run of the program may be copying into.
void RemovePartialCopies(const std::string& folder);

}  // namespace geotal
