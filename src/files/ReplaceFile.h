// Replacing a file's whole content so that the old content stays until the new is on disk.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "files/FileIdentity.h"

namespace geotal {

// The file behind a name (its links followed) as it was read: its identity, or none when there
// was no file.
struct ReadState {
    std::optional<FileIdentity> identity;
};

// Reads the whole file that path names, links followed, and how it was at that moment. A
// missing file reads as empty with no identity; false, with errno set, when it cannot be read.
bool ReadForReplacement(const std::string& path, std::string& bytes, ReadState& state);

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
//
// With readAs, the file must still be as it was when the content being replaced was read (or,
// read as absent, still be absent), so that what another program wrote after that read is
// never undone; without it, as it was when this call began.
bool ReplaceFileContents(
    const std::string& path, const std::string& bytes, std::string& error,
    const std::function<bool(const std::string& folder)>& flushFolder = nullptr,
    const std::optional<ReadState>& readAs = std::nullopt);

// As ReplaceFileContents, with the care a photo gets, for a file kept beside photos (a sidecar):
// the new file takes the old one's owner, group, extended attributes, ACL and permission bits
// before it is put in place, else the file is left as it was; and a file whose folder takes no
// new file is refused, never truncated and written in place, where a failure half-way would
// leave it cut short. The file must still be as readAs says it was read.
bool ReplaceKeptFile(const std::string& path, const std::string& bytes, const ReadState& readAs,
                     std::string& error);

}  // namespace geotal
