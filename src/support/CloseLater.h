// Closing file descriptors on a thread of its own, for closes that wait: the last close of a
// file already unlinked frees its blocks, which on a file system that discards freed blocks at
// once waits for the disk.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>

namespace geotal {

class CloseLater {
public:
    CloseLater() = default;
    // Closes what is still waiting, and ends the thread.
    ~CloseLater();
    CloseLater(const CloseLater&) = delete;
    CloseLater& operator=(const CloseLater&) = delete;

    // Takes fd over (a negative one is ignored); it is closed on the thread, in turn. Waits
    // while many are waiting, so that the process never holds more than a few dozen this way.
    void Close(int fd);
    // Returns once every descriptor taken so far is closed.
    void Drain();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<int> waiting_;
    bool closing_ = false;  // the thread holds one taken from waiting_
    bool ending_ = false;
    std::thread thread_;  // started with the first descriptor
};

}  // namespace geotal
