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

FlushAhead::~FlushAhead() {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return done_ == paths_.size(); });
        ending_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void FlushAhead::Add(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    paths_.push_back(path);
    results_.push_back(0);
    while (threads_.size() < kFlushThreads) {
        try {
            threads_.emplace_back([this] { Run(); });
        } catch (...) {
            break;
        }
    }
    if (threads_.empty()) {
        results_.back() = EAGAIN;  // no thread to flush it: it counts as not on disk
        ++next_;
        ++done_;
    }
    changed_.notify_all();
}

std::vector<int> FlushAhead::Results() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return done_ == paths_.size(); });
    std::vector<int> results;
    results.swap(results_);
    paths_.clear();
    next_ = 0;
    done_ = 0;
    return results;
}

void FlushAhead::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || next_ < paths_.size(); });
        if (next_ >= paths_.size()) {
            return;  // ending, with nothing left to flush
        }
        const std::size_t index = next_++;
        const std::string path = paths_[index];
        lock.unlock();
        const std::vector<int> flushed = flush_({path});
        lock.lock();
        results_[index] = flushed.empty() ? EIO : flushed.front();
        ++done_;
        changed_.notify_all();
    }
}

bool FlushFolder(const std::string& folder) {
    FileDescriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0 && fd.Close();
}

}  // namespace geotal
