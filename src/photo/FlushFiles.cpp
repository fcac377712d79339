#include "photo/FlushFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <deque>
#include <map>
#include <thread>

#include "support/FileDescriptor.h"

namespace geotal {
namespace {

// Enough flushes in flight for the disk to merge them; more threads only add switching.
constexpr std::size_t kFlushThreads = 4;

int OpenForFlush(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

int ErrorOr0(bool done) {
    return done ? 0 : (errno != 0 ? errno : EIO);
}

std::vector<int> FlushEach(const std::vector<std::string>& paths, bool dataOnly) {
    std::vector<int> flushed(paths.size(), 0);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < paths.size(); i = next++) {
            FileDescriptor fd(OpenForFlush(paths[i]));
            const bool synced =
                fd.get() >= 0 && (dataOnly ? ::fdatasync(fd.get()) : ::fsync(fd.get())) == 0;
            flushed[i] = ErrorOr0(synced && fd.Close());
        }
    };
    // The calling thread takes its share, so a batch of one starts no thread at all.
    std::vector<std::thread> helpers;
    const std::size_t threads = std::min(kFlushThreads, paths.size());
    for (std::size_t t = 1; t < threads; ++t) {
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
    std::deque<FileDescriptor> files;
    std::map<dev_t, std::vector<std::size_t>> byDevice;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        FileDescriptor& fd = files.emplace_back(OpenForFlush(paths[i]));
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

std::vector<int> FlushFiles(const std::vector<std::string>& paths, FlushWay way) {
    switch (way) {
        case FlushWay::ParallelFdatasync:
            return FlushEach(paths, true);
        case FlushWay::SyncFileSystem:
            return SyncFileSystems(paths);
        case FlushWay::ParallelFsync:
            break;
    }
    return FlushEach(paths, false);
}

bool FlushFolder(const std::string& folder) {
    FileDescriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0 && fd.Close();
}

}  // namespace geotal
