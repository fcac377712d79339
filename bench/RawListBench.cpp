// Listing a folder of 1,000 RAW files against a folder of 1,000 JPEGs: what the window does on
// opening a folder (each file's capture time and position, and a RAW's sidecar), with copies
// of the real sample files made at run time. Prints both figures and their ratio, which
// should stay within 2.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "photo/PhotoFolder.h"
#include "support/Progress.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 1000;

// The RAW formats among the sample folders; HEIC, PNG, TIFF and the like are not RAW files.
const char* const kRawFolders[] = {"arw", "cr2", "cr3", "crw", "dng", "gpr",
                                   "iiq", "mrw", "nef", "raf", "rw2", "x3f"};

std::vector<fs::path> PhotoFilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && geotal::IsPhotoFileName(entry.path().filename())) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// kFiles copies of the samples, round and round, each under a name of its own with the
// sample's extension, so that a sample's every copy is read as the sample is.
void FillFolder(const fs::path& folder, const std::vector<fs::path>& samples) {
    fs::create_directories(folder);
    for (int i = 0; i < kFiles && !samples.empty(); ++i) {
        const fs::path& sample = samples[static_cast<std::size_t>(i) % samples.size()];
        fs::copy_file(sample,
                      folder / ("IMG_" + std::to_string(10000 + i) + sample.extension().string()));
    }
}

class SampleFolders {
public:
    SampleFolders()
        : root_(fs::temp_directory_path() / ("geotal-raw-list-" + std::to_string(::getpid()))) {
        const fs::path real = GEOTAL_REAL_RAW;
        std::vector<fs::path> raws;
        for (const char* format : kRawFolders) {
            const std::vector<fs::path> files = PhotoFilesIn(real / format);
            raws.insert(raws.end(), files.begin(), files.end());
        }
        FillFolder(Raws(), raws);
        FillFolder(Jpegs(), PhotoFilesIn(GEOTAL_REAL_PHOTOS));
    }
    ~SampleFolders() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::string Raws() const { return (root_ / "raw").string(); }
    std::string Jpegs() const { return (root_ / "jpeg").string(); }

private:
    fs::path root_;
};

SampleFolders& Samples() {
    static SampleFolders samples;
    return samples;
}

void ListFolder(benchmark::State& state, const std::string& folder) {
    geotal::NullProgress progress;
    std::size_t records = 0;
    for (auto _ : state) {
        geotal::PhotoList photos;
        geotal::ReadPhotoFolder(folder, photos, progress);
        records = photos.records.size();
        benchmark::DoNotOptimize(photos.records.data());
    }
    if (records != kFiles) {
        state.SkipWithError("the folder did not list every file");
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

void List1000Jpegs(benchmark::State& state) {
    ListFolder(state, Samples().Jpegs());
}
BENCHMARK(List1000Jpegs)->Unit(benchmark::kMillisecond)->UseRealTime();

void List1000Raws(benchmark::State& state) {
    ListFolder(state, Samples().Raws());
}
BENCHMARK(List1000Raws)->Unit(benchmark::kMillisecond)->UseRealTime();

// The console's lines, then the RAW listing's time over the JPEG listing's: with
// --benchmark_repetitions, the medians (the machine is shared, and a mean takes its spikes).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string name = run.run_name.function_name;
            if (run.error_occurred) {
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians_[name] = run.GetAdjustedRealTime();
            } else if (run.run_type == Run::RT_Iteration) {
                lastRuns_[name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::map<std::string, double> times = lastRuns_;
        for (const auto& [name, time] : medians_) {
            times[name] = time;
        }
        const auto jpegs = times.find("List1000Jpegs");
        const auto raws = times.find("List1000Raws");
        if (jpegs != times.end() && raws != times.end() && jpegs->second > 0) {
            std::printf("1,000 JPEGs: %.1f ms, 1,000 RAW files: %.1f ms, ratio %.2f\n",
                        jpegs->second, raws->second, raws->second / jpegs->second);
        }
    }

private:
    std::map<std::string, double> medians_, lastRuns_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
