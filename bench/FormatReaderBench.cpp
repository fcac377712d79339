// Reading speed and memory of the readers for phone, logger and watch formats, over generated
// files: a Google Records.json of 5 million points (about 1 GB), a million NMEA sentences, a FIT
// file of 100,000 records. Run one at a time (--benchmark_filter) for a clean peak memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "TrackFileBench.h"
#include "track/FitReader.h"
#include "track/TrackFileReader.h"

namespace {

constexpr std::uint32_t kFitTimeOf2010 = 631238400;

void WriteRecordsJson(std::FILE* file, int points) {
    std::fprintf(file, "{\n  \"locations\": [");
    for (int i = 0; i < points; ++i) {
        const int second = i % 86400;
        std::fprintf(file,
                     "%s{\n    \"latitudeE7\": %d,\n    \"longitudeE7\": %d,\n"
                     "    \"accuracy\": %d,\n    \"altitude\": %d,\n    \"source\": \"WIFI\",\n"
                     "    \"deviceTag\": 1184882232,\n"
                     "    \"timestamp\": \"2013-03-%02dT%02d:%02d:%02d.849Z\"\n  }",
                     i == 0 ? "" : ", ", 473690550 + i % 100000, 83695001 - i % 100000, 10 + i % 50,
                     400 + i % 100, 1 + i / 86400 % 28, second / 3600, second / 60 % 60,
                     second % 60);
    }
    std::fprintf(file, "]\n}\n");
}

void Checksummed(std::FILE* file, const char* body) {
    unsigned sum = 0;
    for (const char* c = body; *c != '\0'; ++c) {
        sum ^= static_cast<unsigned char>(*c);
    }
    std::fprintf(file, "$%s*%02X\r\n", body, sum);
}

// Half RMC, half GGA: one fix per pair of sentences, as receivers write them.
void WriteNmea(std::FILE* file, int sentences) {
    char body[128];
    for (int i = 0; i < sentences / 2; ++i) {
        const int second = i % 86400;
        const double minutes = 30.0 + (i % 600000) * 1e-5;
        std::snprintf(body, sizeof body,
                      "GPGGA,%02d%02d%02d.00,47%08.5f,N,00815.00000,E,1,08,1.0,%.1f,M,48.0,M,,",
                      second / 3600, second / 60 % 60, second % 60, minutes,
                      400 + (i % 1000) * 0.1);
        Checksummed(file, body);
        std::snprintf(body, sizeof body,
                      "GPRMC,%02d%02d%02d.00,A,47%08.5f,N,00815.00000,E,0.1,0.0,%02d0510,,",
                      second / 3600, second / 60 % 60, second % 60, minutes, 1 + i / 86400 % 28);
        Checksummed(file, body);
    }
}

void WriteFit(std::FILE* file, int records) {
    std::string data;
    auto byte = [&](unsigned b) { data.push_back(static_cast<char>(b)); };
    auto value = [&](std::uint32_t v, int size) {
        for (int i = 0; i < size; ++i) {
            byte((v >> (8 * i)) & 0xFF);
        }
    };
    // The record message with timestamp, position, altitude, speed and heart rate.
    for (unsigned b : {0x40u, 0u, 0u,    20u, 0u, 6u,    253u, 4u, 0x86u, 0u, 4u, 0x85u,
                       1u,    4u, 0x85u, 78u, 4u, 0x86u, 6u,   2u, 0x84u, 3u, 1u, 0x02u}) {
        byte(b);
    }
    for (int i = 0; i < records; ++i) {
        byte(0);
        value(kFitTimeOf2010 + static_cast<std::uint32_t>(i), 4);
        value(static_cast<std::uint32_t>(566000000 + i * 10), 4);
        value(static_cast<std::uint32_t>(98000000 - i * 10), 4);
        value(static_cast<std::uint32_t>((400 + 500) * 5 + i % 100), 4);
        value(5000, 2);
        byte(120);
    }
    std::string header = {14, 0x20, 0x54, 0x08};
    for (int i = 0; i < 4; ++i) {
        header.push_back(static_cast<char>((data.size() >> (8 * i)) & 0xFF));
    }
    header += ".FIT";
    const unsigned headerCrc = geotal::FitCrc(header);
    header.push_back(static_cast<char>(headerCrc & 0xFF));
    header.push_back(static_cast<char>(headerCrc >> 8));
    const unsigned crc = geotal::FitCrc(data, geotal::FitCrc(header));
    std::fwrite(header.data(), 1, header.size(), file);
    std::fwrite(data.data(), 1, data.size(), file);
    std::fputc(static_cast<int>(crc & 0xFF), file);
    std::fputc(static_cast<int>(crc >> 8), file);
}

bench::GeneratedFiles& Files() {
    static bench::GeneratedFiles files;
    return files;
}

void Read(benchmark::State& state, const std::string& path, geotal::TrackFormat format,
          int points) {
    bench::MeasureReading(state, path, points,
                          [format](const std::string& file, geotal::TrackStore& store) {
                              geotal::ReadTrackFile(file, format, store);
                          });
}

void BM_ReadGoogleRecordsJson(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    Read(state, Files().File("Records.json", WriteRecordsJson, points),
         geotal::TrackFormat::GoogleHistory, points);
}

void BM_ReadNmea(benchmark::State& state) {
    const int sentences = static_cast<int>(state.range(0));
    Read(state, Files().File("log.nmea", WriteNmea, sentences), geotal::TrackFormat::Nmea,
         sentences / 2);
}

void BM_ReadFit(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    Read(state, Files().File("activity.fit", WriteFit, records), geotal::TrackFormat::Fit, records);
}

BENCHMARK(BM_ReadFit)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNmea)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadGoogleRecordsJson)
    ->Arg(500000)
    ->Arg(5000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
