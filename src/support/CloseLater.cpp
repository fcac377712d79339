#include "support/CloseLater.h"

#include <unistd.h>

namespace geotal {
namespace {

constexpr std::size_t kMostWaiting = 64;

}  // namespace

CloseLater::~CloseLater() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    for (int fd : waiting_) {  // only where the thread never started
        ::close(fd);
    }
}

void CloseLater::Close(int fd) {
    if (fd < 0) {
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (...) {
            lock.unlock();
            ::close(fd);  // no thread to be had: closed here, as it would have been
            return;
        }
    }
    changed_.wait(lock, [this] { return waiting_.size() < kMostWaiting; });
    waiting_.push_back(fd);
    changed_.notify_all();
}

void CloseLater::Drain() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && !closing_; });
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
        closing_ = true;
        lock.unlock();
        ::close(fd);
        lock.lock();
        closing_ = false;
        changed_.notify_all();
    }
}

}  // namespace geotal
