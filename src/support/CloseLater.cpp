#include "support/CloseLater.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace geotal {
namespace {

// A batch's worth of photos, so that a batch's swaps never wait for the closes; but no more than
// a quarter of the descriptors the process may hold, which its other files need.
std::size_t MostWaiting() {
    constexpr std::size_t kBatch = 256;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return kBatch;
    }
    return std::clamp<std::size_t>(static_cast<std::size_t>(limit.rlim_cur) / 4, 1, kBatch);
}

// The disk takes several discards at once, as it takes several flushes.
constexpr std::size_t kThreads = 4;

}  // namespace

CloseLater::CloseLater() : mostWaiting_(MostWaiting()) {}

CloseLater::~CloseLater() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
    for (int fd : waiting_) {  // only where no thread started
        ::close(fd);
    }
}

void CloseLater::Close(int fd) {
    if (fd < 0) {
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    while (threads_.size() < kThreads) {
        try {
            threads_.emplace_back([this] { Run(); });
        } catch (...) {
            break;
        }
    }
    if (threads_.empty()) {
        lock.unlock();
        ::close(fd);  // no thread to be had: closed here, as it would have been
        return;
    }
    changed_.wait(lock, [this] { return waiting_.size() < mostWaiting_; });
    waiting_.push_back(fd);
    changed_.notify_all();
}

void CloseLater::Drain() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && closing_ == 0; });
}

void CloseLater::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return;  // ending, with nothing left to close
        }
        const int fd = waiting_.front();
        waiting_.pop_front();
        ++closing_;
        lock.unlock();
        ::close(fd);
        lock.lock();
        --closing_;
        changed_.notify_all();
    }
}

}  // namespace geotal
