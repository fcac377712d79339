// Reading a whole track file into memory as the readers expect it.
#pragma once

#include <string>

namespace geotal {

// Reads the file into bytes with every CR LF pair turned into a single LF, so that files with
// Windows and Unix line ends read alike. False (and bytes empty) when the path cannot be read
// as a regular file: missing, unreadable, a directory, a pipe or device (never waited on), or
// too large for memory; the trace then says why.
bool ReadTrackFileBytes(const std::string& path, std::string& bytes);

// Drops every CR that stands right before an LF, in place.
void DropCarriageReturnsBeforeLineFeeds(std::string& bytes);

}  // namespace geotal
