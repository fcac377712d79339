// What the track reader benchmarks share: generated files in a folder of their own, and one
// loop that reads a file again and again and counts its points, bytes and peak memory.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "track/TrackStore.h"

namespace bench {

// Files written once per run, on first use, and removed at exit.
class GeneratedFiles {
public:
    GeneratedFiles()
        : folder_(std::filesystem::temp_directory_path() /
                  ("geotal-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
    }
    ~GeneratedFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    GeneratedFiles(const GeneratedFiles&) = delete;
    GeneratedFiles& operator=(const GeneratedFiles&) = delete;

    // The file name with count items, written by write(file, count) the first time.
    template <typename Write>
    const std::string& File(const std::string& name, Write write, int count) {
        const std::string key = std::to_string(count) + "-" + name;
        auto found = files_.find(key);
        if (found != files_.end()) {
            return found->second;
        }
        const std::string path = (folder_ / key).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        write(file, count);
        std::fclose(file);
        return files_.emplace(key, path).first->second;
    }

private:
    std::filesystem::path folder_;
    std::map<std::string, std::string> files_;
};

// Reads the file with read(path, store) in every iteration; a read that does not give all
// points stops the benchmark with an error rather than measuring a failure.
template <typename Read>
void MeasureReading(benchmark::State& state, const std::string& path, int points, Read read) {
    const auto bytes = std::filesystem::file_size(path);
    for (auto _ : state) {
        geotal::TrackStore store;
        read(path, store);
        if (store.Count() != points) {
            state.SkipWithError("wrong number of points");
            break;
        }
        benchmark::DoNotOptimize(store);
    }
    state.SetItemsProcessed(state.iterations() * points);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1e3;
}

}  // namespace bench
