// Reading speed of the GPX and CSV track readers over generated files of 10^5 and 10^6 points.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "track/CsvTrackReader.h"
#include "track/GpxReader.h"

namespace {

// Generated files, written once per run and removed at exit.
class GeneratedTracks {
public:
    GeneratedTracks()
        : folder_(std::filesystem::temp_directory_path() /
                  ("geotal-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
    }
    ~GeneratedTracks() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    const std::string& Gpx(int points) { return File("gpx", points); }
    const std::string& Csv(int points) { return File("csv", points); }

private:
    const std::string& File(const std::string& kind, int points) {
        const std::string key = kind + std::to_string(points);
        auto found = files_.find(key);
        if (found != files_.end()) {
            return found->second;
        }
        const std::string path = (folder_ / (key + "." + kind)).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (kind == "gpx") {
            std::fprintf(file,
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<gpx version=\"1.1\">\r\n"
                         "  <trk><name>bench</name><trkseg>\r\n");
        } else {
            std::fprintf(file, "No,Date,Time,Latitude,Longitude,Altitude\r\n");
        }
        for (int i = 0; i < points; ++i) {
            const double latitude = 47.0 + i * 1e-6;
            const double longitude = 8.0 - i * 1e-6;
            const int second = i % 86400;
            const int day = 1 + i / 86400 % 28;
            if (kind == "gpx") {
                std::fprintf(file,
                             "      <trkpt lat=\"%.7f\" lon=\"%.7f\">\r\n"
                             "        <ele>%.1f</ele>\r\n"
                             "        <time>2010-05-%02dT%02d:%02d:%02dZ</time>\r\n"
                             "      </trkpt>\r\n",
                             latitude, longitude, 400 + (i % 1000) * 0.1, day, second / 3600,
                             second / 60 % 60, second % 60);
            } else {
                std::fprintf(file, "%d,2010-05-%02d,%02d:%02d:%02d,%.7f,%.7f,%.1f\r\n", i, day,
                             second / 3600, second / 60 % 60, second % 60, latitude, longitude,
                             400 + (i % 1000) * 0.1);
            }
        }
        if (kind == "gpx") {
            std::fprintf(file, "  </trkseg></trk>\r\n</gpx>\r\n");
        }
        std::fclose(file);
        return files_.emplace(key, path).first->second;
    }

    std::filesystem::path folder_;
    std::map<std::string, std::string> files_;
};

GeneratedTracks& Tracks() {
    static GeneratedTracks tracks;
    return tracks;
}

template <bool (*Read)(const std::string&, geotal::TrackStore&)>
void ReadTrackFile(benchmark::State& state, const std::string& path) {
    const int points = static_cast<int>(state.range(0));
    const auto bytes = std::filesystem::file_size(path);
    for (auto _ : state) {
        geotal::TrackStore store;
        Read(path, store);
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

void BM_ReadGpxFile(benchmark::State& state) {
    ReadTrackFile<geotal::ReadGpxFile>(state, Tracks().Gpx(static_cast<int>(state.range(0))));
}
void BM_ReadCsvTrackFile(benchmark::State& state) {
    ReadTrackFile<geotal::ReadCsvTrackFile>(state, Tracks().Csv(static_cast<int>(state.range(0))));
}

BENCHMARK(BM_ReadGpxFile)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCsvTrackFile)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
