// Thumbnails of a folder of 1,000 RAW files (copies of the real sample files, made at run
// time) through the list's cache, from the first request to the last thumbnail, on the two
// worker threads the window uses. Meanwhile a timer on the window's thread measures how long
// its event loop was kept waiting at most: the list must stay responsive while they come.
// Runs on Qt's offscreen platform.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/ThumbnailCache.h"
#include "photo/PhotoFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 1000;

// The RAW formats among the sample folders.
const char* const kRawFolders[] = {"arw", "cr2", "cr3", "crw", "dng", "gpr",
                                   "iiq", "mrw", "nef", "raf", "rw2", "x3f"};

class RawFolder {
public:
    RawFolder()
        : root_(fs::temp_directory_path() / ("geotal-thumbnails-" + std::to_string(::getpid()))) {
        std::vector<fs::path> samples;
        for (const char* format : kRawFolders) {
            const fs::path folder = fs::path(GEOTAL_REAL_RAW) / format;
            if (!fs::is_directory(folder)) {
                continue;
            }
            for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
                if (entry.is_regular_file() && geotal::IsPhotoFileName(entry.path().filename())) {
                    samples.push_back(entry.path());
                }
            }
        }
        std::sort(samples.begin(), samples.end());
        fs::create_directories(root_);
        for (int i = 0; i < kFiles && !samples.empty(); ++i) {
            const fs::path& sample = samples[static_cast<std::size_t>(i) % samples.size()];
            const fs::path copy =
                root_ / ("IMG_" + std::to_string(10000 + i) + sample.extension().string());
            fs::copy_file(sample, copy);
            paths_.push_back(QString::fromStdString(copy.string()));
            samples_.push_back(sample.filename().string());
        }
    }
    ~RawFolder() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const std::vector<QString>& Paths() const { return paths_; }
    // The name of the sample a copy was made from.
    const std::string& SampleOf(std::size_t copy) const { return samples_[copy]; }

private:
    fs::path root_;
    std::vector<QString> paths_;
    std::vector<std::string> samples_;
};

RawFolder& Raws() {
    static RawFolder folder;
    return folder;
}

// range(0): the thumbnail's side in pixels (64 at 100 %, 128 at 200 %).
void Thumbnails1000Raws(benchmark::State& state) {
    const std::vector<QString>& paths = Raws().Paths();
    if (static_cast<int>(paths.size()) != kFiles) {
        state.SkipWithError("no real RAW files to copy");
        return;
    }
    const int side = static_cast<int>(state.range(0));
    qint64 longestWait = 0;
    int withoutPicture = 0;
    std::map<std::string, QString> reasons;  // the samples that gave no picture, and why
    for (auto _ : state) {
        geotal::app::ThumbnailCache cache;  // a new session: nothing read yet
        int arrived = 0;
        QEventLoop loop;
        QObject::connect(&cache, &geotal::app::ThumbnailCache::thumbnailReady, &loop,
                         [&](const QString&, int) {
                             if (++arrived == kFiles) {
                                 loop.quit();
                             }
                         });
        // The window's thread: a timer that should fire every millisecond.
        QElapsedTimer sinceTick;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout,
                         [&] { longestWait = std::max(longestWait, sinceTick.restart()); });
        sinceTick.start();
        tick.start();
        for (const QString& path : paths) {
            cache.Request(path, side);
        }
        loop.exec();
        tick.stop();
        state.PauseTiming();
        withoutPicture = 0;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const std::optional<geotal::app::Thumbnail> thumbnail = cache.Find(paths[i], side);
            if (!thumbnail || thumbnail->pixmap.isNull()) {
                ++withoutPicture;
                reasons[Raws().SampleOf(i)] = thumbnail ? thumbnail->why : QString();
            }
        }
        state.ResumeTiming();
    }
    for (const auto& [sample, why] : reasons) {
        std::fprintf(stderr, "no thumbnail: %s: %s\n", sample.c_str(), qPrintable(why));
    }
    state.counters["longest_gui_wait_ms"] = static_cast<double>(longestWait);
    state.counters["without_picture"] = withoutPicture;
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(Thumbnails1000Raws)->Arg(64)->Arg(128)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
