// Making many new files durable at once: the disk then writes them in one stream instead of
// waiting for each flush in turn.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace geotal {

// Flushes the content, owner, mode and attributes of every file to disk, by an fsync of each on
// a few threads. The result holds, for each path in order, 0 when that file is surely on disk,
// else the error number that says why not.
std::vector<int> FlushFiles(const std::vector<std::string>& paths);

// Flushes a folder's entries, so that renames in it survive a power cut.
bool FlushFolder(const std::string& folder);

// Flushes files on a few threads of its own as they are handed over, so that by the time a
// batch of them must be on disk most of them are, the disk having worked while the next ones
// were made. flush is called with one path at a time, from those threads.
class FlushAhead {
public:
    using Flush = std::function<std::vector<int>(const std::vector<std::string>&)>;
    explicit FlushAhead(Flush flush) : flush_(std::move(flush)) {}
    // Waits for every flush handed over.
    ~FlushAhead();
    FlushAhead(const FlushAhead&) = delete;
    FlushAhead& operator=(const FlushAhead&) = delete;

    // Starts flushing the file at path.
    void Add(const std::string& path);
    // Waits for the files handed over since the last call, and answers for each, in the order
    // they came, 0 when it is surely on disk, else the error number that says why not.
    std::vector<int> Results();

private:
    void Run();

    Flush flush_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> paths_;  // handed over since the last Results
    std::vector<int> results_;        // one for each of paths_
    std::size_t next_ = 0;            // the first of paths_ no thread has taken
    std::size_t done_ = 0;            // how many of paths_ are flushed
    bool ending_ = false;
    std::vector<std::thread> threads_;  // started with the first file
};

}  // namespace geotal
