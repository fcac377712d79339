// Making many new files durable at once: the disk then writes them in one stream instead of
// waiting for each flush in turn.
#pragma once

#include <string>
#include <vector>

namespace geotal {

// Flushes the content, owner, mode and attributes of every file to disk, by an fsync of each on
// a few threads. The result holds, for each path in order, 0 when that file is surely on disk,
// else the error number that says why not.
std::vector<int> FlushFiles(const std::vector<std::string>& paths);

// Flushes a folder's entries, so that renames in it survive a power cut.
bool FlushFolder(const std::string& folder);

}  // namespace geotal
