// A camera-sized photo (12 megapixels) written anew: all its bytes through user space, as the
// writer does, against the unchanged image data copied by the kernel with copy_file_range. With
// and without the flush, on disk and in memory, so that the copy's own cost shows.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/FileReplacement.h"
#include "support/FileDescriptor.h"
#include "support/WholeFile.h"

namespace {

// The bytes before the image data that a position changes: the EXIF segment at most (64 KB).
constexpr std::size_t kHead = 65536;

class CameraPhoto {
public:
    CameraPhoto()
        : folder_(std::filesystem::temp_directory_path() /
                  ("geotal-copy-bench-" + std::to_string(::getpid()))),
          memory_(std::filesystem::path("/dev/shm") /
                  ("geotal-copy-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
        std::filesystem::create_directories(memory_);
        photo_ = (folder_ / "camera.jpg").string();
        const std::string make = "convert -size 4000x3000 plasma: -quality 92 '" + photo_ +
                                 "' && exiftool -q -overwrite_original -tagsFromFile '" +
                                 GEOTAL_REAL_PHOTOS "/es_Canon_40D.jpg' -all:all '" + photo_ + "'";
        if (std::system(make.c_str()) != 0) {
            photo_.clear();
            return;
        }
        // copy_file_range works within one file system: the photo has a twin in memory.
        std::filesystem::copy_file(photo_, memory_ / "camera.jpg");
    }
    ~CameraPhoto() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        std::filesystem::remove_all(memory_, ignored);
    }
    bool Made() const { return !photo_.empty(); }
    std::string Photo(bool inMemory) const {
        return inMemory ? (memory_ / "camera.jpg").string() : photo_;
    }
    std::string Target(bool inMemory) const {
        return ((inMemory ? memory_ : folder_) / "new.jpg").string();
    }

private:
    std::filesystem::path folder_;
    std::filesystem::path memory_;
    std::string photo_;
};

CameraPhoto& Camera() {
    static CameraPhoto photo;
    return photo;
}

enum class Way { ThroughUserSpace, CopyFileRange, CopyFileRangeReadingHeadOnly };

bool CopyRange(int from, int to, std::size_t offset, std::size_t size) {
    auto in = static_cast<off_t>(offset);
    while (size > 0) {
        const ssize_t copied = ::copy_file_range(from, &in, to, nullptr, size, 0);
        if (copied <= 0) {
            return false;
        }
        size -= static_cast<std::size_t>(copied);
    }
    return true;
}

void WriteCameraPhoto(benchmark::State& state, Way way) {
    const CameraPhoto& camera = Camera();
    if (!camera.Made()) {
        state.SkipWithError("convert and exiftool are needed");
        return;
    }
    const bool flush = state.range(0) != 0;
    const bool inMemory = state.range(1) != 0;
    const std::string target = camera.Target(inMemory);
    const std::string photo = camera.Photo(inMemory);
    ::sync();  // the photo's own write-back must not land in the first timing
    std::size_t size = 0;
    for (auto _ : state) {
        ::unlink(target.c_str());
        geotal::NewFile file;
        geotal::FileDescriptor source(::open(photo.c_str(), O_RDONLY | O_CLOEXEC));
        geotal::WholeFile whole;
        std::string error;
        bool done = file.Create(target, 0644);
        if (way == Way::CopyFileRangeReadingHeadOnly) {
            std::string head(kHead, '\0');
            size = static_cast<std::size_t>(::lseek(source.get(), 0, SEEK_END));
            done = done && ::pread(source.get(), head.data(), kHead, 0) == kHead &&
                   file.Write(head.data(), kHead);
        } else {
            done = done && geotal::ReadWholeFile(photo, whole, error);
            size = whole.bytes.size();
            const std::size_t written = way == Way::ThroughUserSpace ? size : kHead;
            done = done && file.Write(whole.bytes.data(), written);
        }
        if (way != Way::ThroughUserSpace) {
            done = done && CopyRange(source.get(), file.descriptor(), kHead, size - kHead);
        }
        done = done && file.Finish(flush ? geotal::Flush::Now : geotal::Flush::Later);
        if (!done) {
            state.SkipWithError("the new file could not be written");
            return;
        }
        file.Keep();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
    state.counters["photo_bytes"] = static_cast<double>(size);
}

void Arguments(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"flush", "in_memory"})
        ->Args({1, 0})
        ->Args({0, 0})
        ->Args({0, 1})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
}

BENCHMARK_CAPTURE(WriteCameraPhoto, through_user_space, Way::ThroughUserSpace)->Apply(Arguments);
BENCHMARK_CAPTURE(WriteCameraPhoto, copy_file_range, Way::CopyFileRange)->Apply(Arguments);
BENCHMARK_CAPTURE(WriteCameraPhoto, copy_file_range_reading_head_only,
                  Way::CopyFileRangeReadingHeadOnly)
    ->Apply(Arguments);

}  // namespace

BENCHMARK_MAIN();
