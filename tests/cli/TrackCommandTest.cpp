#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "track/TrackTestFolder.h"

namespace geotal {
namespace {

// Runs geotal-cli with the arguments, its output kept in files of the test folder.
test::CliRun RunCli(const testing::TrackTestFolder& folder, const std::vector<std::string>& args) {
    return test::RunGeotalCli(folder.path(), args);
}

TEST(TrackCommand, printsEveryPointInStoreOrderAndTheCounts) {
    testing::TrackTestFolder folder;
    const std::string tracks = folder.path() + "/tracks";
    std::filesystem::create_directory(tracks);
    folder.Write("tracks/a.gpx",
                 "<trkpt lat=\"47.5\" lon=\"-8.25\"><ele>412.7</ele>"
                 "<time>2010-05-01T10:20:30Z</time></trkpt>\r\n"
                 "<trkpt lat=\"-33.8688\" lon=\"151.2\"><ele>5</ele>"
                 "<time>2010-05-01T10:20:31.9Z</time></trkpt>\r\n"
                 "<trkpt lat=\"1\" lon=\"2\"><time>2010-05-01T10:20:35Z</time></trkpt>\r\n");
    folder.Write("tracks/b.csv", "No,Date,Time,Lat,Lon\n1,2010-05-01,10:20:32,1.5,0");
    folder.Write("tracks/c.txt", "1,2010-05-01,10:20:33,9,9\n");
    const test::CliRun result = RunCli(folder, {"track", tracks});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "47.500000\t-8.250000\t412.7\t2010/05/01 10:20:30\n"
              "-33.868800\t151.200000\t5\t2010/05/01 10:20:31\n"
              "1.000000\t2.000000\t\t2010/05/01 10:20:35\n"
              "1.500000\t0.000000\t\t2010/05/01 10:20:32\n")
        << "a point without an elevation of its own shows none";
    EXPECT_EQ(result.err, tracks + "/a.gpx: GPX, 3 positions\n" + tracks +
                              "/b.csv: CSV, 1 position\n2 track files, 4 positions\n");
}

TEST(TrackCommand, namesEachFileWithItsFormatAndWhyItGaveNothing) {
    testing::TrackTestFolder folder;
    const std::string tracks = folder.path() + "/tracks";
    std::filesystem::create_directory(tracks);
    folder.Write("tracks/gps.log",
                 "$GPRMC,102030.5,A,4730.0000,N,00815.0000,W,0.1,0.0,010510,,\n"
                 "$GPGGA,102030.5,4730.0000,N,00815.0000,W,1,08,1.0,412.5,M,48.0,M,,\n");
    folder.Write("tracks/other.csv", "Speed,Heading\n1,2\n");
    const test::CliRun result = RunCli(folder, {"track", tracks});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "47.500000\t-8.250000\t412.5\t2010/05/01 10:20:30\n");
    EXPECT_EQ(result.err, tracks + "/gps.log: NMEA, 1 position\n" + tracks +
                              "/other.csv: CSV, 0 positions; no positions: the lines are not "
                              "No,Date,Time,Latitude,Longitude and no header row names the "
                              "latitude, longitude and time columns\n"
                              "2 track files, 1 positions\n");
}

TEST(TrackCommand, readsOneTrackFileNamedOnItsOwn) {
    testing::TrackTestFolder folder;
    folder.Write("walk.gpx",
                 "<trkpt lat=\"47.5\" lon=\"-8.25\"><ele>412.7</ele>"
                 "<time>2010-05-01T10:20:30Z</time></trkpt>\r\n");
    folder.Write("notes.txt", "shopping list\n");
    const test::CliRun one = RunCli(folder, {"track", folder.path() + "/walk.gpx"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, "47.500000\t-8.250000\t412.7\t2010/05/01 10:20:30\n");
    EXPECT_EQ(one.err, folder.path() + "/walk.gpx: GPX, 1 position\n1 track files, 1 positions\n");
    const test::CliRun notes = RunCli(folder, {"track", folder.path() + "/notes.txt"});
    EXPECT_EQ(notes.status, 1);
    EXPECT_EQ(notes.out, "");
    EXPECT_NE(notes.err.find("is not a track file"), std::string::npos) << notes.err;
}

TEST(TrackCommand, tellsAFileNamedOnItsOwnByItsContentWhereItsNameDoesNot) {
    testing::TrackTestFolder folder;
    const std::string nmea =
        "$GPRMC,102030.5,A,4730.0000,N,00815.0000,W,0.1,0.0,010510,,\n"
        "$GPGGA,102030.5,4730.0000,N,00815.0000,W,1,08,1.0,412.5,M,48.0,M,,\n";
    for (const char* name : {"gps.dat", "gpslog"}) {
        const std::string path = folder.Write(name, nmea);
        const test::CliRun run = RunCli(folder, {"track", path});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "47.500000\t-8.250000\t412.5\t2010/05/01 10:20:30\n") << name;
        EXPECT_EQ(run.err, path + ": NMEA, 1 position\n1 track files, 1 positions\n");
    }
}

TEST(TrackCommand, rejectsWrongArgumentsWithAOneLineReason) {
    testing::TrackTestFolder folder;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"track"}, {"track", "a", "b"}, {"track", "--fast"}, {"tracks"}}) {
        const test::CliRun result = RunCli(folder, args);
        EXPECT_EQ(result.status, 2) << args.back();
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.find("geotal-cli: "), 0u) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
}

TEST(TrackCommand, saysSoWhenTheFolderIsMissing) {
    testing::TrackTestFolder folder;
    const test::CliRun result = RunCli(folder, {"track", folder.path() + "/missing"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("is not a folder"), std::string::npos) << result.err;
}

TEST(TrackCommand, listsItselfInTheHelp) {
    testing::TrackTestFolder folder;
    const test::CliRun help = RunCli(folder, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("track GPSFOLDER"), std::string::npos) << help.out;
    EXPECT_EQ(RunCli(folder, {"track", "--help"}).status, 0);
}

}  // namespace
}  // namespace geotal
