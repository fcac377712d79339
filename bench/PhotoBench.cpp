// Photos per second: reading a folder of 1,000 photos, writing positions into them one by one
// and in batches, and the floor for writing: copying the same files and flushing them. Then the
// metadata step alone, both ways: editing only the GPS data, and exiv2 rewriting all the metadata.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <exiv2/exiv2.hpp>

#include "FlushWays.h"
#include "files/FileOperations.h"
#include "files/FlushFiles.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/GpsFields.h"
#include "metadata/MetadataMerge.h"
#include "photo/PhotoBatch.h"
#include "photo/PhotoFolder.h"
#include "photo/PhotoWriter.h"
#include "support/Progress.h"
#include "support/WholeFile.h"

namespace {

constexpr int kPhotos = 1000;

// A folder of generated photos (640x480 noise, about the metadata of a camera), made once.
class GeneratedPhotos {
public:
    GeneratedPhotos()
        : folder_(std::filesystem::temp_directory_path() /
                  ("geotal-photo-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_ / "photos");
        std::filesystem::create_directories(folder_ / "copies");
        const std::string model = (folder_ / "model.jpg").string();
        const std::string make =
            "convert -size 640x480 xc:gray +noise Random -quality 85 '" + model + "' 2>/dev/null";
        if (std::system(make.c_str()) != 0) {
            std::filesystem::copy_file(GEOTAL_TEST_DATA "/tiny.jpg", model);
        }
        auto image = Exiv2::ImageFactory::open(model);
        image->readMetadata();
        Exiv2::ExifData& exif = image->exifData();
        exif["Exif.Image.Make"] = "Camera Maker";
        exif["Exif.Image.Model"] = "Model 1";
        exif["Exif.Image.DateTime"] = "2010:01:01 12:00:00";
        exif["Exif.Photo.DateTimeOriginal"] = "2010:01:01 12:00:00";
        exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 250);
        exif["Exif.Photo.FNumber"] = Exiv2::URational(28, 10);
        image->writeMetadata();
        for (int i = 0; i < kPhotos; ++i) {
            const std::string name = "IMG_" + std::to_string(10000 + i) + ".JPG";
            std::filesystem::copy_file(model, folder_ / "photos" / name);
            names_.push_back(name);
        }
        size_ = std::filesystem::file_size(model);
    }
    ~GeneratedPhotos() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string Photos() const { return (folder_ / "photos").string(); }
    std::string Copies() const { return (folder_ / "copies").string(); }
    const std::vector<std::string>& Names() const { return names_; }
    std::uintmax_t Size() const { return size_; }

private:
    std::filesystem::path folder_;
    std::vector<std::string> names_;
    std::uintmax_t size_ = 0;
};

GeneratedPhotos& Generated() {
    static GeneratedPhotos photos;
    return photos;
}

void ReadPhotoFolderOf1000(benchmark::State& state) {
    GeneratedPhotos& generated = Generated();
    geotal::NullProgress progress;
    for (auto _ : state) {
        geotal::PhotoList photos;
        geotal::ReadPhotoFolder(generated.Photos(), photos, progress);
        benchmark::DoNotOptimize(photos.records.data());
    }
    state.SetItemsProcessed(state.iterations() * kPhotos);
    state.counters["bytes_per_photo"] = static_cast<double>(generated.Size());
}
BENCHMARK(ReadPhotoFolderOf1000)->Unit(benchmark::kMillisecond);

// The writer one photo at a time: each new file flushed before its rename, each folder after it.
void WritePositionInto1000OneByOne(benchmark::State& state) {
    GeneratedPhotos& generated = Generated();
    geotal::PhotoWriter writer;
    double latitude = 171036.0;
    for (auto _ : state) {
        latitude += 1;
        for (const std::string& name : generated.Names()) {
            const geotal::WriteOutcome outcome = writer.PutFileLongLat(
                generated.Photos() + "/" + name, {latitude, 29700.0, 420.0, {}});
            if (outcome.result != geotal::WriteResult::Written) {
                state.SkipWithError(outcome.message.c_str());
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}
BENCHMARK(WritePositionInto1000OneByOne)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The writer in batches (group commit), with each way of flushing a batch.
void WritePositionInto1000InBatches(benchmark::State& state, bench::FlushWay way) {
    GeneratedPhotos& generated = Generated();
    geotal::PhotoWriter writer;
    geotal::BatchLimits limits;
    limits.flush = [way](const std::vector<std::string>& paths) {
        return bench::FlushWith(paths, way);
    };
    double latitude = 171036.0;
    for (auto _ : state) {
        latitude += 1;
        std::string failure;
        {
            geotal::PhotoBatch batch(
                writer,
                [&](std::size_t, const geotal::WriteOutcome& outcome) {
                    if (outcome.result != geotal::WriteResult::Written) {
                        failure = outcome.message;
                    }
                },
                limits);
            for (const std::string& name : generated.Names()) {
                batch.Add(0, generated.Photos() + "/" + name, {latitude, 29700.0, 420.0, {}});
            }
        }
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}
BENCHMARK_CAPTURE(WritePositionInto1000InBatches, parallel_fsync, bench::FlushWay::ParallelFsync)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(WritePositionInto1000InBatches, parallel_fdatasync,
                  bench::FlushWay::ParallelFdatasync)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(WritePositionInto1000InBatches, syncfs, bench::FlushWay::SyncFileSystem)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The floor: read each photo and write it whole to a new file, all flushed together in
// batches of the writer's size.
void CopyThenFlush1000(benchmark::State& state, bench::FlushWay way) {
    GeneratedPhotos& generated = Generated();
    const geotal::BatchLimits limits;
    for (auto _ : state) {
        std::vector<std::string> batch;
        std::size_t bytes = 0;
        for (const std::string& name : generated.Names()) {
            geotal::WholeFile file;
            std::string error;
            const std::string copy = generated.Copies() + "/" + name;
            ::unlink(copy.c_str());
            if (!geotal::ReadWholeFile(generated.Photos() + "/" + name, file, error) ||
                !geotal::WriteNewFile(copy, file.bytes.data(), file.bytes.size(), file.mode, error,
                                      geotal::Flush::Later)) {
                state.SkipWithError(error.c_str());
                return;
            }
            batch.push_back(copy);
            bytes += file.bytes.size();
            if (batch.size() >= limits.photos || bytes >= limits.bytes ||
                &name == &generated.Names().back()) {
                bench::FlushWith(batch, way);
                batch.clear();
                bytes = 0;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}
BENCHMARK_CAPTURE(CopyThenFlush1000, parallel_fsync, bench::FlushWay::ParallelFsync)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(CopyThenFlush1000, parallel_fdatasync, bench::FlushWay::ParallelFdatasync)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(CopyThenFlush1000, syncfs, bench::FlushWay::SyncFileSystem)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// Copying with a flush after each file, as the one-by-one writer flushes.
void CopyWithFlush1000(benchmark::State& state) {
    GeneratedPhotos& generated = Generated();
    for (auto _ : state) {
        for (const std::string& name : generated.Names()) {
            geotal::WholeFile file;
            std::string error;
            const std::string copy = generated.Copies() + "/" + name;
            ::unlink(copy.c_str());
            if (!geotal::ReadWholeFile(generated.Photos() + "/" + name, file, error) ||
                !geotal::WriteNewFile(copy, file.bytes.data(), file.bytes.size(), file.mode,
                                      error)) {
                state.SkipWithError(error.c_str());
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}
BENCHMARK(CopyWithFlush1000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Where the merged files go: memory, when there is such a file system, so that the flush to
// disk (which the floor above measures) does not drown the difference between the two ways.
class MergeFolder {
public:
    MergeFolder() {
        const std::filesystem::path memory = "/dev/shm";
        path_ = (std::filesystem::is_directory(memory) ? memory
                                                       : std::filesystem::temp_directory_path()) /
                ("geotal-merge-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~MergeFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// Opens each photo, sets the seven GPS tags and writes the new file, the way the writer does
// before its check and swap.
void MergeInto1000(benchmark::State& state, geotal::MergeWay way) {
    GeneratedPhotos& generated = Generated();
    const MergeFolder folder;
    for (auto _ : state) {
        for (const std::string& name : generated.Names()) {
            const std::string photo = generated.Photos() + "/" + name;
            const std::string copy = folder.Path() + "/" + name;
            ::unlink(copy.c_str());
            geotal::ExifHandle exif;
            geotal::IptcHandle iptc;
            std::string error;
            const geotal::GpsChange change = geotal::GpsChangeFor({171036.0, 29700.0, 420, {}});
            const bool merged = geotal::OpenMetadata(photo, true, true, exif, iptc) &&
                                geotal::SetGpsChange(*exif, change, error) &&
                                geotal::MergeMetadata(photo, copy, exif.get(), iptc.get(), change,
                                                      way, geotal::Flush::Now, error);
            if (!merged) {
                state.SkipWithError(error.c_str());
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}
BENCHMARK_CAPTURE(MergeInto1000, editing_only_gps, geotal::MergeWay::OnlyWhatChanged)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(MergeInto1000, exiv2_rewriting_all, geotal::MergeWay::Rewrite)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
