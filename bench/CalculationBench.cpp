// Placing photos on a long track: the indexed search (index built in every run) against a
// plain scan of the whole store for every photo.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "geotag/PositionCalculation.h"
#include "geotag/TrackTimeIndex.h"

namespace {

constexpr double kFirstDay = 40000.0;
constexpr double kStep = 2.0 / 86400;  // a fix every 2 seconds

// files × pointsPerFile fixes; each file is in time order, the files are not (as when the
// folder's names do not sort by date). shuffled: every point anywhere.
geotal::TrackStore MakeTrack(int files, int pointsPerFile, bool shuffled = false) {
    std::mt19937 random(7);
    std::vector<int> order(static_cast<size_t>(files));
    for (int i = 0; i < files; ++i) {
        order[static_cast<size_t>(i)] = i;
    }
    std::shuffle(order.begin(), order.end(), random);
    std::vector<geotal::TrackPoint> points;
    points.reserve(static_cast<size_t>(files) * static_cast<size_t>(pointsPerFile));
    for (const int file : order) {
        const double start = kFirstDay + file * pointsPerFile * kStep;
        for (int i = 0; i < pointsPerFile; ++i) {
            points.push_back(
                {171000.0 + i * 0.01, 29700.0 + file + i * 0.01, std::nullopt, start + i * kStep});
        }
    }
    if (shuffled) {
        std::shuffle(points.begin(), points.end(), random);
    }
    geotal::TrackStore track;
    for (const geotal::TrackPoint& point : points) {
        track.Append(point);
    }
    return track;
}

// Photos at random moments over the track's time, camera clock two hours ahead.
geotal::PhotoList MakePhotos(int count, double trackDays) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> moment(kFirstDay, kFirstDay + trackDays);
    geotal::PhotoList photos;
    for (int i = 0; i < count; ++i) {
        geotal::PhotoRecord photo;
        photo.fileName = "IMG.JPG";
        photo.captureTime = moment(random) + 2.0 / 24;
        photo.marked = true;
        photos.records.push_back(photo);
    }
    return photos;
}

geotal::TimeAdjustment TwoHoursAhead() {
    geotal::TimeAdjustment adjustment;
    adjustment.timeZoneOffset = 2;
    return adjustment;
}

// The search as the matching rules describe it: every photo looks at every point.
void PlainScan(geotal::PhotoList& photos, const geotal::TrackStore& track, double span) {
    for (geotal::PhotoRecord& photo : photos.records) {
        const double t = photo.captureTime.value_or(0) - span;
        int before = -1;
        int after = -1;
        double beforeTime = 0.0;
        double afterTime = 9999999999.0;
        for (int j = 0; j < track.Count(); ++j) {
            const double time = track.At(j).time;
            if (time < t) {
                if (time > beforeTime) {
                    before = j;
                    beforeTime = time;
                }
            } else if (time < afterTime) {
                after = j;
                afterTime = time;
            }
        }
        if (before >= 0 && after >= 0) {
            const geotal::TrackPoint& b = track.At(before);
            const geotal::TrackPoint& a = track.At(after);
            const double f = (t - b.time) / (a.time - b.time);
            photo.position = geotal::GeoPosition{b.latitude + (a.latitude - b.latitude) * f,
                                                 b.longitude + (a.longitude - b.longitude) * f,
                                                 {},
                                                 {}};
        }
    }
}

void Calculate(benchmark::State& state, int photoCount, int files, int pointsPerFile,
               bool shuffled = false) {
    const geotal::TrackStore track = MakeTrack(files, pointsPerFile, shuffled);
    geotal::PhotoList photos = MakePhotos(photoCount, files * pointsPerFile * kStep);
    geotal::NullProgress progress;
    for (auto _ : state) {
        state.PauseTiming();
        for (geotal::PhotoRecord& photo : photos.records) {
            photo.marked = true;  // the calculation unmarks what it cannot place
        }
        state.ResumeTiming();
        const std::vector<geotal::PositionResult> results =
            geotal::CalculatePositions(photos, track, TwoHoursAhead(), progress);
        benchmark::DoNotOptimize(results.data());
    }
    state.SetItemsProcessed(state.iterations() * photoCount);
}

void Calculate10kPhotosOn1MPointsIn10Files(benchmark::State& state) {
    Calculate(state, 10000, 10, 100000);
}
BENCHMARK(Calculate10kPhotosOn1MPointsIn10Files)->Unit(benchmark::kMillisecond);

void Calculate10kPhotosOn1MPointsIn100Files(benchmark::State& state) {
    Calculate(state, 10000, 100, 10000);
}
BENCHMARK(Calculate10kPhotosOn1MPointsIn100Files)->Unit(benchmark::kMillisecond);

void Calculate10kPhotosOn1MPointsShuffled(benchmark::State& state) {
    Calculate(state, 10000, 10, 100000, true);
}
BENCHMARK(Calculate10kPhotosOn1MPointsShuffled)->Unit(benchmark::kMillisecond);

void Calculate1kPhotosOn100kPoints(benchmark::State& state) {
    Calculate(state, 1000, 10, 10000);
}
BENCHMARK(Calculate1kPhotosOn100kPoints)->Unit(benchmark::kMillisecond);

void BuildIndex(benchmark::State& state, const geotal::TrackStore& track) {
    for (auto _ : state) {
        const geotal::TrackTimeIndex index(track);
        benchmark::DoNotOptimize(&index);
    }
    state.SetItemsProcessed(state.iterations() * track.Count());
}

// 1M points in as many files as the argument says: up to 256 files in time order are merged,
// more are radix sorted.
void BuildIndexOf1MPointsInFiles(benchmark::State& state) {
    const int files = static_cast<int>(state.range(0));
    BuildIndex(state, MakeTrack(files, 1000000 / files));
}
BENCHMARK(BuildIndexOf1MPointsInFiles)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Arg(256)
    ->Arg(257)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond);

// The worst order: no two neighbours in the store are neighbours in time.
void BuildIndexOf1MPointsShuffled(benchmark::State& state) {
    BuildIndex(state, MakeTrack(10, 100000, true));
}
BENCHMARK(BuildIndexOf1MPointsShuffled)->Unit(benchmark::kMillisecond);

void PlainScanPhotosOnPoints(benchmark::State& state, int photoCount, int files,
                             int pointsPerFile) {
    const geotal::TrackStore track = MakeTrack(files, pointsPerFile);
    geotal::PhotoList photos = MakePhotos(photoCount, files * pointsPerFile * kStep);
    for (auto _ : state) {
        PlainScan(photos, track, 2.0 / 24);
        benchmark::DoNotOptimize(photos.records.data());
    }
    state.SetItemsProcessed(state.iterations() * photoCount);
}

void PlainScan1kPhotosOn100kPoints(benchmark::State& state) {
    PlainScanPhotosOnPoints(state, 1000, 10, 10000);
}
BENCHMARK(PlainScan1kPhotosOn100kPoints)->Unit(benchmark::kMillisecond);

// The full-size store for the same scan; times 1,000 gives 10,000 photos.
void PlainScan10PhotosOn1MPoints(benchmark::State& state) {
    PlainScanPhotosOnPoints(state, 10, 10, 100000);
}
BENCHMARK(PlainScan10PhotosOn1MPoints)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
