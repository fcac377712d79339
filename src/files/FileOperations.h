// File operations that never truncate a file, nor replace one except a photo by its whole,
// finished new version.
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <string>
#include <string_view>

#include "files/FileReplacement.h"

namespace geotal {

// Creates path (failing if any file of that name exists), writes the bytes with the given
// permission bits and, with Flush::Now, flushes them to disk. A failed write leaves no file
// behind.
bool WriteNewFile(const std::string& path, const void* data, std::size_t size, mode_t mode,
                  std::string& error, Flush flush = Flush::Now);

// The bytes a new file ends with, as they lie unchanged in the open file they were read from.
struct UnchangedTail {
    int source = -1;         // the file they were read from
    FileIdentity asRead;     // that file as it was when they were read
    off_t offset = 0;        // where they lie in it
    std::string_view bytes;  // the bytes themselves
};

// As above, the new file being head and then tail: tail's bytes copied by the kernel from its
// source where that pays (NewFile::CopyFrom), else written from memory; the same bytes either
// way.
bool WriteNewFile(const std::string& path, std::string_view head, const UnchangedTail& tail,
                  mode_t mode, std::string& error, Flush flush = Flush::Now);

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
