// Every GPX and CSV file of the shared collection of real tracks, when it is present: whatever
// the device or program that wrote it, the readers give only fixes that can have happened.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "track/CsvTrackReader.h"
#include "track/GpxReader.h"
#include "track/TrackFolder.h"
#include "track/TrackPointMatchers.h"

namespace geotal {
namespace {

std::string RealTracksFolder() {
    const char* chosen = std::getenv("GEOTAL_REALWORLD_TRACKS");
    return chosen != nullptr ? chosen : GEOTAL_REALWORLD_TRACKS;
}

TEST(RealWorldTracks, giveNoPointAtZeroZeroOffTheGlobeOrAtTimeZero) {
    const std::filesystem::path folder = RealTracksFolder();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        GTEST_SKIP() << folder << " is not present";
    }
    int files = 0;
    int points = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        const std::string path = entry.path().string();
        const TrackFileKind kind = TrackFileKindOf(path);
        if (kind == TrackFileKind::None || !entry.is_regular_file()) {
            continue;
        }
        TrackStore store;
        EXPECT_TRUE(kind == TrackFileKind::Gpx ? ReadGpxFile(path, store)
                                               : ReadCsvTrackFile(path, store))
            << path;
        EXPECT_EQ(testing::FirstUnrealFix(store), "") << path;
        ++files;
        points += store.Count();
    }
    EXPECT_FALSE(error) << error.message();
    EXPECT_GT(files, 0);
    EXPECT_GT(points, 0);
    RecordProperty("files", files);
    RecordProperty("points", points);
}

}  // namespace
}  // namespace geotal
