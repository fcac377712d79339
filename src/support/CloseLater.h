// Closing file descriptors on threads of their own, for closes that wait: the last close of a
// file already unlinked frees its blocks, which on a file system that discards freed blocks at
// once waits for the disk.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace geotal {

class CloseLater {
public:
    CloseLater();
    // Closes what is still waiting, and ends the thread.
    ~CloseLater();
    CloseLater(const CloseLater&) = delete;
    CloseLater& operator=(const CloseLater&) = delete;

    // Takes fd over (a negative one is ignored); it is closed on one of the threads. Waits
    // while many are waiting, so that the process never holds more than a few hundred this way.
    void Close(int fd);
    // Returns once every descriptor taken so far is closed.
    void Drain();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<int> waiting_;
    std::size_t mostWaiting_;
    std::size_t closing_ = 0;  // taken from waiting_ by the threads, not yet closed
    bool ending_ = false;
    std::vector<std::thread> threads_;  // started with the first descriptor
};

}  // namespace geotal
