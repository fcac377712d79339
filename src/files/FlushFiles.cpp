#include "files/FlushFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

#include "support/FileDescriptor.h"

namespace geotal {
namespace {

// Enough flushes in flight for the disk to merge them; more threads only add switching.
constexpr std::size_t kFlushThreads = 4;

}  // namespace

std::vector<int> FlushFiles(const std::vector<std::string>& paths) {
    std::vector<int> flushed(paths.size(), 0);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < paths.size(); i = next++) {
            FileDescriptor fd(::open(paths[i].c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
            const bool synced = fd.get() >= 0 && ::fsync(fd.get()) == 0;
            flushed[i] = synced && fd.Close() ? 0 : (errno != 0 ? errno : EIO);
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

bool FlushFolder(const std::string& folder) {
    FileDescriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0 && fd.Close();
}

}  // namespace geotal
