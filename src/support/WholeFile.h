// Reading a whole file into memory, for the track readers and the photo writer alike.
#pragma once

#include <sys/types.h>

#include <string>

namespace geotal {

struct WholeFile {
    std::string bytes;
    mode_t mode = 0;  // the file's permission bits
};

// Reads the regular file at path. Anything else (a pipe, a device, a folder) is refused
// without being waited on, and so is a file too large for memory. On failure, error names
// the file and the system's reason.
bool ReadWholeFile(const std::string& path, WholeFile& file, std::string& error);

// The same, from a file already opened (non-blocking) as path, from its start; the caller keeps
// the descriptor, to look at or copy from the very file that was read.
bool ReadWholeFile(int fd, const std::string& path, WholeFile& file, std::string& error);

}  // namespace geotal
