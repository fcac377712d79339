// The shared collection of real tracks, when it is present: whatever the device or program
// that wrote a file, the readers give only fixes that can have happened, and, where gpsbabel
// reads the format, the same fixes as gpsbabel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "track/GpsBabel.h"
#include "track/TrackFileReader.h"
#include "track/TrackFormat.h"
#include "track/TrackPointMatchers.h"

namespace geotal {
namespace {

std::string RealTracksFolder() {
    const char* chosen = std::getenv("GEOTAL_REALWORLD_TRACKS");
    return chosen != nullptr ? chosen : GEOTAL_REALWORLD_TRACKS;
}

// The files of more/ are sorted by format into folders, some without an extension.
std::optional<TrackFormat> FormatOf(const std::filesystem::path& path) {
    const std::string folder = path.parent_path().filename().string();
    if (folder == "nmea") {
        return TrackFormat::Nmea;
    }
    return TrackFormatOfFile(path.string());
}

std::vector<std::filesystem::path> TrackFiles(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
        if (entry.is_regular_file() && entry.path().filename() != "SOURCES.md" &&
            FormatOf(entry.path())) {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(RealWorldTracks, giveNoPointAtZeroZeroOffTheGlobeOrAtTimeZero) {
    const std::filesystem::path folder = RealTracksFolder();
    if (!std::filesystem::is_directory(folder)) {
        GTEST_SKIP() << folder << " is not present";
    }
    std::map<std::string, int> points;
    for (const std::filesystem::path& path : TrackFiles(folder)) {
        TrackStore store;
        const TrackFormat format = *FormatOf(path);
        EXPECT_TRUE(ReadTrackFile(path.string(), format, store).readable) << path;
        EXPECT_EQ(testing::FirstUnrealFix(store), "") << path;
        points[TrackFormatName(format)] += store.Count();
    }
    for (const auto& [format, count] : points) {
        EXPECT_GT(count, 0) << format;
        RecordProperty(format, count);
    }
}

struct BabelCase {
    const char* file;         // under the collection's folder
    const char* babelFormat;  // gpsbabel's name for it
    TrackFormat format;
};

// Every file of a format gpsbabel reads, except where a comment says why it differs.
const BabelCase kBabelCases[] = {
    {"csv/gpsbabel-bike~unicsv.csv", "unicsv", TrackFormat::Csv},
    {"csv/gpsbabel-garminconnect.csv", "unicsv", TrackFormat::Csv},
    {"csv/gpsbabel-iblue747.csv", "unicsv", TrackFormat::Csv},
    {"csv/gpsbabel-mtk_logger.csv", "unicsv", TrackFormat::Csv},
    {"csv/gpsbabel-mtk_logger_m241.csv", "unicsv", TrackFormat::Csv},
    {"csv/gpsbabel-nmeadatetime.csv", "unicsv", TrackFormat::Csv},
    {"more/nmea/gpsbabel-nmea", "nmea", TrackFormat::Nmea},
    {"more/nmea/gpsbabel-nmea_utf16", "nmea", TrackFormat::Nmea},
    {"more/nmea/gpsbabel-backfilldate.nmea", "nmea", TrackFormat::Nmea},
    {"more/nmea/gpsbabel-amod-nmea", "nmea", TrackFormat::Nmea},
    {"more/nmea/gpsbabel-adddate.nmea", "nmea", TrackFormat::Nmea},
    {"more/nmea/gpsbabel-addmultipledaysfwd.nmea", "nmea", TrackFormat::Nmea},
    {"more/nmea/exiftool-Geotag2.log", "nmea", TrackFormat::Nmea},
    {"more/nmea/pynmeagps-pygpsdata-nmea4.log", "nmea", TrackFormat::Nmea},
    {"more/nmea/pynmeagps-pygpsdata-um981.log", "nmea", TrackFormat::Nmea},
    {"more/nmea/pynmeagps-pygpsdata-nmeabadck.log", "nmea", TrackFormat::Nmea},
    {"more/nmea/pynmeagps-pygpsdata-nmeastartup.log", "nmea", TrackFormat::Nmea},
};

TEST(RealWorldTracks, giveTheSameFixesAsGpsbabel) {
    const std::filesystem::path folder = RealTracksFolder();
    if (!std::filesystem::is_directory(folder) || !testing::HaveGpsBabel()) {
        GTEST_SKIP() << "needs " << folder << " and gpsbabel";
    }
    for (const BabelCase& c : kBabelCases) {
        const std::string path = (folder / c.file).string();
        const auto theirs = testing::GpsBabelPoints(c.babelFormat, path);
        ASSERT_TRUE(theirs) << path;
        TrackStore store;
        ReadTrackFile(path, c.format, store);
        EXPECT_EQ(testing::FirstDifference(testing::PointsOf(store), *theirs), "") << path;
    }
}

}  // namespace
}  // namespace geotal
