// Reading speed of the GPX and CSV track readers over generated files of 10^5 and 10^6 points.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "TrackFileBench.h"
#include "track/TrackFileReader.h"

namespace {

// A track of that many fixes, one a second, as a GPS logger writes it in GPX or CSV.
void WriteTrack(std::FILE* file, int points, bool gpx) {
    if (gpx) {
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
        if (gpx) {
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
    if (gpx) {
        std::fprintf(file, "  </trkseg></trk>\r\n</gpx>\r\n");
    }
}

bench::GeneratedFiles& Files() {
    static bench::GeneratedFiles files;
    return files;
}

void MeasureTrackFile(benchmark::State& state, bool gpx) {
    const int points = static_cast<int>(state.range(0));
    const auto write = [gpx](std::FILE* file, int count) { WriteTrack(file, count, gpx); };
    const geotal::TrackFormat format = gpx ? geotal::TrackFormat::Gpx : geotal::TrackFormat::Csv;
    bench::MeasureReading(state, Files().File(gpx ? "track.gpx" : "track.csv", write, points),
                          points, [format](const std::string& path, geotal::TrackStore& store) {
                              return geotal::ReadTrackFile(path, format, store).readable;
                          });
}

void BM_ReadGpxTrack(benchmark::State& state) {
    MeasureTrackFile(state, true);
}
void BM_ReadCsvTrack(benchmark::State& state) {
    MeasureTrackFile(state, false);
}

BENCHMARK(BM_ReadGpxTrack)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCsvTrack)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
