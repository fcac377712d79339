// geotal-cli track under an address-space limit far below what hostile files claim or unpack
// to: each ends with its reason and a normal exit, never an allocation failure.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "track/TrackTestFolder.h"
#include "track/ZipBytes.h"

#if defined(__SANITIZE_ADDRESS__)
#define GEOTAL_UNDER_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GEOTAL_UNDER_ADDRESS_SANITIZER 1
#endif
#endif

namespace geotal {
namespace {

constexpr const char* kPrlimit = "/usr/bin/prlimit";

// geotal-cli track FILE with at most about a gigabyte of address space, or as given.
test::CliRun TrackUnderLimit(const testing::TrackTestFolder& folder, const std::string& file,
                             const std::string& bytes = "1000000000") {
    return test::RunProgram(folder.path(), {kPrlimit, "--as=" + bytes, GEOTAL_CLI_PATH, "track",
                                            folder.path() + "/" + file});
}

bool CanLimitMemory() {
#ifdef GEOTAL_UNDER_ADDRESS_SANITIZER
    return false;  // the sanitizer's shadow memory alone is larger than the limit
#else
    return ::access(kPrlimit, X_OK) == 0;
#endif
}

TEST(TrackMemoryLimit, aKmzClaimingTwoGigabytesGivesWhatItHolds) {
    if (!CanLimitMemory()) {
        GTEST_SKIP() << "needs prlimit and a build without AddressSanitizer";
    }
    testing::TrackTestFolder folder;
    testing::ZipEntry entry = testing::DeflatedEntry(
        "doc.kml",
        "<kml><Placemark><TimeStamp><when>2024-01-15T12:00:00Z</when></TimeStamp>"
        "<Point><coordinates>8.25,47.5</coordinates></Point></Placemark></kml>");
    entry.size = 2'000'000'000;
    folder.Write("claim.kmz", testing::ZipArchiveOf(entry));
    const test::CliRun run = TrackUnderLimit(folder, "claim.kmz");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "47.500000\t8.250000\t\t2024/01/15 12:00:00\n");
    EXPECT_EQ(run.err, folder.path() + "/claim.kmz: KMZ, 1 position\n1 track files, 1 positions\n");
}

TEST(TrackMemoryLimit, aDeflateBombOfTwoGigabytesIsRefusedWithItsReason) {
    if (!CanLimitMemory()) {
        GTEST_SKIP() << "needs prlimit and a build without AddressSanitizer";
    }
    testing::TrackTestFolder folder;
    folder.Write("bomb.kmz", testing::ZipArchiveOf(testing::SpacesEntry("doc.kml", 2048)));
    const test::CliRun run = TrackUnderLimit(folder, "bomb.kmz");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, folder.path() +
                           "/bomb.kmz: KMZ, 0 positions; doc.kml in the archive unpacks to more "
                           "than 100 times the archive's size, as only a zip bomb does; it was "
                           "not read\n1 track files, 0 positions\n");
}

// A 32 MB element parsed into a tree would take some 450 MB; read from its text it takes
// nothing beside the file.
TEST(TrackMemoryLimit, aJsonElementOfThirtyTwoMegabytesIsReadInAFewHundred) {
    if (!CanLimitMemory()) {
        GTEST_SKIP() << "needs prlimit and a build without AddressSanitizer";
    }
    std::string junk;
    junk.reserve(32 << 20);
    for (int i = 0; i < (16 << 20); ++i) {
        junk += i == 0 ? "1" : ",1";
    }
    testing::TrackTestFolder folder;
    folder.Write("Records.json", R"({"locations":[{"latitudeE7":475000000,"longitudeE7":82500000,)"
                                 R"("timestamp":"2013-05-01T10:00:00Z","activity":[)" +
                                     junk + "]}]}");
    folder.Write("log.geojson",
                 R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":)"
                 R"({"type":"Point","coordinates":[8.25,47.5]},"properties":)"
                 R"({"time":"2013-05-01T10:00:00Z","junk":[)" +
                     junk + "]}}]}");
    for (const auto& [file, format] :
         {std::pair{"Records.json", "Google location history"}, {"log.geojson", "GeoJSON"}}) {
        const test::CliRun run = TrackUnderLimit(folder, file, "300000000");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "47.500000\t8.250000\t\t2013/05/01 10:00:00\n") << file;
        EXPECT_EQ(run.err, folder.path() + "/" + file + ": " + format +
                               ", 1 position\n1 track files, 1 positions\n");
    }
}

}  // namespace
}  // namespace geotal
