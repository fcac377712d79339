// The ways of flushing a batch that the benchmark compares; the writer uses the first.
#pragma once

#include <string>
#include <vector>

namespace bench {

enum class FlushWay {
    ParallelFsync,      // fsync of each file, on a few threads (geotal::FlushFiles)
    ParallelFdatasync,  // fdatasync of each file, on a few threads
    SyncFileSystem,     // one syncfs per file system the files are on
};

// For each path in order, 0 when it is on disk, else the error number.
std::vector<int> FlushWith(const std::vector<std::string>& paths, FlushWay way);

}  // namespace bench
