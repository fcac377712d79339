#include "FlushWays.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <deque>
#include <map>
#include <thread>

#include "files/FlushFiles.h"
#include "support/FileDescriptor.h"

namespace bench {
namespace {

int OpenForFlush(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

int ErrorOr0(bool done) {
    return done ? 0 : (errno != 0 ? errno : EIO);
}

// As the writer's flush, with fdatasync: the same threads, so only the call differs.
std::vector<int> FdatasyncEach(const std::vector<std::string>& paths) {
    std::vector<int> flushed(paths.size(), 0);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < paths.size(); i = next++) {
            geotal::FileDescriptor fd(OpenForFlush(paths[i]));
            flushed[i] = ErrorOr0(fd.get() >= 0 && ::fdatasync(fd.get()) == 0 && fd.Close());
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < std::min<std::size_t>(4, paths.size()); ++t) {
        helpers.emplace_back(work);
    }
    work();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    return flushed;
}

// syncfs reports a write error of any file on the file system since the descriptor it is given
// was opened, so every file stays open until the flush of its file system is done.
std::vector<int> SyncFileSystems(const std::vector<std::string>& paths) {
    std::vector<int> flushed(paths.size(), 0);
    std::deque<geotal::FileDescriptor> files;
    std::map<dev_t, std::vector<std::size_t>> byDevice;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        geotal::FileDescriptor& fd = files.emplace_back(OpenForFlush(paths[i]));
        struct stat status {};
        if (fd.get() >= 0 && ::fstat(fd.get(), &status) == 0) {
            byDevice[status.st_dev].push_back(i);
        } else {
            flushed[i] = ErrorOr0(false);
        }
    }
    for (const auto& [device, members] : byDevice) {
        const int synced = ErrorOr0(::syncfs(files[members.front()].get()) == 0);
        for (std::size_t i : members) {
            flushed[i] = synced;
        }
    }
    return flushed;
}

}  // namespace

std::vector<int> FlushWith(const std::vector<std::string>& paths, FlushWay way) {
    switch (way) {
        case FlushWay::ParallelFdatasync:
            return FdatasyncEach(paths);
        case FlushWay::SyncFileSystem:
            return SyncFileSystems(paths);
        case FlushWay::ParallelFsync:
            break;
    }
    return geotal::FlushFiles(paths);
}

}  // namespace bench
