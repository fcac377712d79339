#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "metadata/PhotoFixture.h"
#include "output/Formatting.h"
#include "photo/PhotoMetadata.h"
#include "photo/StoredPosition.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::MakePhoto;
using test::ReadBytes;
using test::RunGeotalCli;
using test::TempFolder;
using test::WriteBytes;

// The computer's zone for the child, so that the default adjustment does not depend on the
// machine the tests run on.
const test::Environment kUtc = {{"TZ", "UTC0"}};

// Two short stretches of track: at 06:25-06:35 UTC from 10 N 20 E to 10.2 N 20.2 E, and at
// 10:55-11:05 UTC from 47 N 8 E to 47.1 N 8.1 E.
const char kTrack[] =
    "<trkpt lat=\"10.0\" lon=\"20.0\"><ele>100</ele><time>2010-01-01T06:25:00Z</time></trkpt>\n"
    "<trkpt lat=\"10.2\" lon=\"20.2\"><ele>200</ele><time>2010-01-01T06:35:00Z</time></trkpt>\n"
    "<trkpt lat=\"47.0\" lon=\"8.0\"><ele>400</ele><time>2010-01-01T10:55:00Z</time></trkpt>\n"
    "<trkpt lat=\"47.1\" lon=\"8.1\"><ele>500</ele><time>2010-01-01T11:05:00Z</time></trkpt>\n";

const test::Tags kStoredPosition = {{"Exif.GPSInfo.GPSLatitude", "47/1 30/1 36/1"},
                                    {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                    {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"},
                                    {"Exif.GPSInfo.GPSLongitudeRef", "W"}};

// A photo folder and a GPS folder. Camera times: a.jpg and placed.jpg 12:00:00 (placed.jpg
// with a position already), late.jpg 13:00:00, noexif.jpg none.
struct TagFolders {
    TempFolder scratch;
    std::string photos = scratch / "photos";
    std::string gps = scratch / "gps";

    TagFolders() {
        ::mkdir(photos.c_str(), 0755);
        ::mkdir(gps.c_str(), 0755);
        scratch.Write("gps/track.gpx", kTrack);
        MakeDatedPhoto(photos + "/a.jpg");
        MakePhoto(photos + "/late.jpg", {{"Exif.Photo.DateTimeOriginal", "2010:01:01 13:00:00"}});
        MakePhoto(photos + "/noexif.jpg");
        MakeDatedPhoto(photos + "/placed.jpg", kStoredPosition);
    }

    test::CliRun Tag(std::vector<std::string> options, const test::Environment& env = kUtc) {
        options.insert(options.begin(), {"tag", "--photos", photos, "--gps", gps});
        return RunGeotalCli(scratch.path(), options, env);
    }
};

std::string Dd(double degrees) {
    return FormatCoordinate(degrees * 3600, CoordinateFormat::DecimalDegrees);
}

const std::string kNoon = "2010/01/01 12:00:00";
// a.jpg at 11:00 UTC, halfway between the last two points.
const std::string kHalfway = Dd(47.05) + "\t" + Dd(8.05);

TEST(TagCommand, printsTheListAfterCalculatingTheCheckedPhotos) {
    TagFolders folders;
    const std::string before = ReadBytes(folders.photos + "/a.jpg");
    const test::CliRun run = folders.Tag({"--tz", "1"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "a.jpg\t" + kNoon + "\t" + kHalfway + "\t1\tinterpolated\n" +
                           // 12:00 UTC, 55 minutes after the track ends.
                           "late.jpg\t2010/01/01 13:00:00\t\t\t0\tfar\n" +
                           "noexif.jpg\t\t\t\t0\tno-time\n" +
                           // Had a position, so the list left it unchecked.
                           "placed.jpg\t" + kNoon + "\t" + Dd(47.51) + "\t" + Dd(-8.25) +
                           "\t0\tunchecked\n");
    EXPECT_EQ(run.err, "4 photos, 1 positioned, 0 written\n");
    EXPECT_EQ(ReadBytes(folders.photos + "/a.jpg"), before);  // nothing written without --write
}

TEST(TagCommand, allChecksThePhotosThatHadAPositionToo) {
    TagFolders folders;
    const test::CliRun run = folders.Tag({"--all", "--tz=1", "--format=3"});
    EXPECT_EQ(run.status, 0) << run.err;
    const CoordinateFormat dms = CoordinateFormat::DegreesMinutesSeconds;
    const std::string halfway =
        FormatCoordinate(47.05 * 3600, dms) + "\t" + FormatCoordinate(8.05 * 3600, dms);
    EXPECT_EQ(run.out, "a.jpg\t" + kNoon + "\t" + halfway + "\t1\tinterpolated\n" +
                           "late.jpg\t2010/01/01 13:00:00\t\t\t0\tfar\n" +
                           "noexif.jpg\t\t\t\t0\tno-time\n" + "placed.jpg\t" + kNoon + "\t" +
                           halfway + "\t1\tinterpolated\n");
    EXPECT_EQ(run.err, "4 photos, 2 positioned, 0 written\n");
}

// Camera noon is 06:30 UTC in a +5:30 zone, 07:00 UTC with --tz 5 (inside the long gap) and
// 12:00 UTC in UTC; the minutes the time zone cannot hold go into the clock error.
TEST(TagCommand, startsFromTheComputersOffsetUnlessToldOtherwise) {
    const test::Environment india = {{"TZ", "IST-5:30"}};
    const std::string early = Dd(10.1) + "\t" + Dd(20.1) + "\t1\tinterpolated";
    const struct {
        std::vector<std::string> options;
        test::Environment env;
        std::string row;
    } cases[] = {
        {{}, india, early},
        {{"--tz", "5"}, india, "\t\t0\tgap"},
        {{"--clock-error", "1800"}, india, early},
        {{"--tz", "5", "--clock-error", "1800"}, kUtc, early},
        {{}, kUtc, "\t\t0\tfar"},
        {{"--tz", "+1", "--clock-error", "-0"}, india, kHalfway + "\t1\tinterpolated"},
    };
    for (const auto& c : cases) {
        TagFolders folders;
        const test::CliRun run = folders.Tag(c.options, c.env);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "a.jpg\t" + kNoon + "\t" + c.row)
            << c.env[0].second << " " << testing::PrintToString(c.options);
    }
}

TEST(TagCommand, writesTheMarkedPhotosAndCopiesThemFirstWhenAsked) {
    TagFolders folders;
    const std::string copies = folders.scratch / "copies";
    ASSERT_EQ(::mkdir(copies.c_str(), 0755), 0);
    const std::string original = ReadBytes(folders.photos + "/a.jpg");
    const std::string placed = ReadBytes(folders.photos + "/placed.jpg");
    const test::CliRun run = folders.Tag({"--tz", "1", "--write", "--copy-to", copies + "/"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "4 photos, 1 positioned, 1 written\n");
    double longitude = 0, latitude = 0, time = 0;
    ASSERT_TRUE(test::ReadStoredPosition(folders.photos + "/a.jpg", longitude, latitude, time));
    EXPECT_NEAR(latitude, 47.05 * 3600, 0.01);
    EXPECT_NEAR(longitude, 8.05 * 3600, 0.01);
    EXPECT_EQ(ReadBytes(copies + "/a.jpg"), original);
    EXPECT_EQ(ReadBytes(folders.photos + "/placed.jpg"), placed);  // unchecked: untouched
    EXPECT_FALSE(test::Exists(copies + "/placed.jpg"));
}

// A copy folder that holds another photo of the same name: that photo is not written, and the
// line that says so names the file in the way, as the window's box names the photos.
TEST(TagCommand, namesEachPhotoRefusedForAnotherPhotosCopy) {
    TagFolders folders;
    const std::string copies = folders.scratch / "copies";
    ASSERT_EQ(::mkdir(copies.c_str(), 0755), 0);
    MakePhoto(copies + "/a.jpg", {{"Exif.Photo.DateTimeOriginal", "2001:02:03 04:05:06"}});
    const std::string original = ReadBytes(folders.photos + "/a.jpg");
    const test::CliRun run = folders.Tag({"--tz", "1", "--write", "--copy-to", copies});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(copies + "/a.jpg"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("a backup is never replaced"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("4 photos, 1 positioned, 0 written\n"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(folders.photos + "/a.jpg"), original);
}

// Folders that can be read but give nothing to work with: the command says so, in the window's
// words, and still lists what it has.
TEST(TagCommand, saysWhenTheFoldersHoldNoPhotosOrNoUsablePoints) {
    TagFolders folders;
    const std::string empty = folders.scratch / "empty";
    ASSERT_EQ(::mkdir(empty.c_str(), 0755), 0);
    const test::CliRun noPhotos =
        RunGeotalCli(folders.scratch.path(), {"tag", "--photos", empty, "--gps", folders.gps});
    EXPECT_EQ(noPhotos.status, 0) << noPhotos.err;
    EXPECT_NE(
        noPhotos.err.find("geotal-cli: tag: The photo folder \"" + empty + "\" holds no photos"),
        std::string::npos)
        << noPhotos.err;

    folders.scratch.Write("gps/track.gpx", "<gpx><trk><trkseg></trkseg></trk></gpx>\n");
    const test::CliRun noPoints = folders.Tag({"--tz", "1"});
    EXPECT_EQ(noPoints.status, 0) << noPoints.err;
    EXPECT_NE(noPoints.err.find("hold no usable points"), std::string::npos) << noPoints.err;
    EXPECT_NE(noPoints.out.find("a.jpg\t"), std::string::npos);
}

// Sidecars only, named after the whole file name: the JPEG keeps every byte, and an existing
// sidecar of the other naming is updated instead of a second one being made.
TEST(TagCommand, writesSidecarsOnlyWithTheNamingAsked) {
    GEOTAL_SKIP_WITHOUT(GEOTAL_REAL_RAW);
    TagFolders folders;
    MakeDatedPhoto(folders.photos + "/b.jpg");
    const std::string jpeg = ReadBytes(folders.photos + "/a.jpg");
    WriteBytes(folders.photos + "/b.xmp",
               ReadBytes(std::string(GEOTAL_REAL_RAW) + "/xmp/mei_jPhotoTagger-example.xmp"));
    const test::CliRun run =
        folders.Tag({"--tz", "1", "--write", "--sidecar-only", "--sidecar-name", "ext"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "5 photos, 2 positioned, 2 written\n");
    EXPECT_EQ(ReadBytes(folders.photos + "/a.jpg"), jpeg);
    EXPECT_NE(ReadBytes(folders.photos + "/a.jpg.xmp").find("exif:GPSLatitude=\"47,3.0N\""),
              std::string::npos);
    EXPECT_FALSE(test::Exists(folders.photos + "/b.jpg.xmp"));
    EXPECT_NE(ReadBytes(folders.photos + "/b.xmp").find("exif:GPSLatitude=\"47,3.0N\""),
              std::string::npos);
}

TEST(TagCommand, triesEveryMarkedPhotoAndFailsWhenOneWasNotWritten) {
    TagFolders folders;
    MakeDatedPhoto(folders.photos + "/b.jpg");
    // A leftover of an interrupted update that is not the photo blocks a.jpg; it is not listed.
    WriteBytes(folders.photos + "/a_oldGeotal.jpg", "leftover");
    const test::CliRun run = folders.Tag({"--tz", "1", "--write"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error Renaming old file : " + folders.photos + "/a.jpg (" + folders.photos +
                           "/a_oldGeotal.jpg is a file left by an interrupted update; move it "
                           "away to update this photo)\n5 photos, 2 positioned, 1 written\n");
    double longitude = 0, latitude = 0, time = 0;
    ASSERT_TRUE(test::ReadStoredPosition(folders.photos + "/b.jpg", longitude, latitude, time));
    EXPECT_NEAR(latitude, 47.05 * 3600, 0.01);
}

TEST(TagCommand, exportsThePhotosTheCalculationMarkedEvenAfterWritingThem) {
    TagFolders folders;
    const std::string csv = folders.scratch / "out.csv";
    const test::CliRun run = folders.Tag({"--tz", "1", "--write", "--export", csv});
    EXPECT_EQ(run.status, 0) << run.err;
    // The moment and the altitude the track gave.
    EXPECT_EQ(ReadBytes(csv),
              "latitude,longitude,name,time,altitude\r\n"
              "47.050000,8.050000,a.jpg,2010-01-01T11:00:00Z,450\r\n");
    EXPECT_NE(run.err.find("1 positions were successfully exported to " + csv + "\n"),
              std::string::npos)
        << run.err;

    const std::string tsv = folders.scratch / "out.txt";
    EXPECT_EQ(folders.Tag({"--tz", "1", "--all", "--export", tsv, "--separator", "tab"}).status, 0);
    EXPECT_EQ(ReadBytes(tsv).substr(0, 39), "latitude\tlongitude\tname\ttime\taltitude\r\n");

    const std::string kml = folders.scratch / "out.kml";
    EXPECT_EQ(folders.Tag({"--tz", "1", "--all", "--export=" + kml, "--kml"}).status, 0);
    EXPECT_NE(
        ReadBytes(kml).find("  <name>a.jpg</name>\r\n <description></description>\r\n"
                            "  <TimeStamp><when>2010-01-01T11:00:00Z</when></TimeStamp>\r\n"
                            "    <Point>\r\n <coordinates>8.050000,47.050000,450</coordinates>"),
        std::string::npos)
        << ReadBytes(kml);
}

TEST(TagCommand, aFailedExportNamesTheFileAndEndsWithStatusOne) {
    TagFolders folders;
    const std::string target = folders.scratch / "missing/out.csv";
    const test::CliRun run = folders.Tag({"--tz", "1", "--export", target});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("geotal-cli: tag: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(target), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("successfully"), std::string::npos) << run.err;
}

TEST(TagCommand, aTrackWithoutElevationTakesThePhotosOldAltitudeOut) {
    TempFolder scratch;
    const std::string photos = scratch / "photos";
    const std::string gps = scratch / "gps";
    ::mkdir(photos.c_str(), 0755);
    ::mkdir(gps.c_str(), 0755);
    // A CSV track never carries an elevation.
    scratch.Write("gps/walk.csv",
                  "1,2010-01-01,11:55:00,47.0,8.0\n2,2010-01-01,12:05:00,47.1,8.1\n");
    MakeDatedPhoto(photos + "/old.jpg",
                   {{"Exif.GPSInfo.GPSAltitude", "1234/1"}, {"Exif.GPSInfo.GPSAltitudeRef", "0"}});
    MakeDatedPhoto(photos + "/none.jpg");
    const test::CliRun run = RunGeotalCli(
        scratch.path(), {"tag", "--photos", photos, "--gps", gps, "--tz", "0", "--write"}, kUtc);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::TagText(photos + "/old.jpg", "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(test::TagText(photos + "/old.jpg", "Exif.GPSInfo.GPSAltitude"), "");
    EXPECT_EQ(test::TagText(photos + "/old.jpg", "Exif.GPSInfo.GPSAltitudeRef"), "");
    EXPECT_EQ(test::TagText(photos + "/none.jpg", "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(test::TagText(photos + "/none.jpg", "Exif.GPSInfo.GPSAltitude"), "")
        << "no altitude of 0 m invented";
}

TEST(TagCommand, refusesBadArgumentsBeforeReadingAnything) {
    TagFolders folders;
    const std::string before = ReadBytes(folders.photos + "/a.jpg");
    const std::vector<std::vector<std::string>> cases = {
        {"--tz", "15"},
        {"--tz", "-13"},
        {"--tz", "abc"},
        {"--tz", "1.5"},
        {"--tz"},
        {"--clock-error", "63158401"},  // two years and a day
        {"--clock-error=-63158401"},
        {"--format", "4"},
        {"--frobnicate"},
        {"-x"},
        {"extra"},
        {"--copy-to", folders.scratch.path()},  // without --write
        {"--sidecar-only"},                     // without --write
        {"--sidecar-name", "ext"},              // without --write
        {"--write", "--sidecar-name", "both"},
        {"--write", "--copy-to", folders.photos + "/"},
        {"--write", "--copy-to", folders.scratch / "missing"},
        {"--kml"},  // without --export
        {"--export", folders.scratch / "x.csv", "--separator", "pipe"},
        {"--export", folders.scratch / "x.kml", "--kml", "--separator", "tab"},
    };
    for (const auto& options : cases) {
        const test::CliRun run = folders.Tag(options);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(options) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.find("geotal-cli: tag: "), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"tag", "--gps", folders.gps}, {"tag", "--photos", folders.photos}, {"tag"}}) {
        const test::CliRun run = RunGeotalCli(folders.scratch.path(), args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_NE(run.err.find("is required"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadBytes(folders.photos + "/a.jpg"), before);
}

TEST(TagCommand, takesTheEdgesOfEachRange) {
    TagFolders folders;
    for (const auto& options : std::vector<std::vector<std::string>>{
             {"--tz", "-12", "--clock-error", "-3600"}, {"--tz=13", "--clock-error=3600"}}) {
        EXPECT_EQ(folders.Tag(options).status, 0) << testing::PrintToString(options);
    }
}

TEST(TagCommand, namesAFolderItCannotRead) {
    TagFolders folders;
    const std::string missing = folders.scratch / "missing";
    const test::CliRun noPhotos =
        RunGeotalCli(folders.scratch.path(), {"tag", "--photos", missing, "--gps", folders.gps});
    EXPECT_EQ(noPhotos.status, 1);
    EXPECT_EQ(noPhotos.err, "geotal-cli: tag: --photos '" + missing + "' is not a folder\n");
    const test::CliRun noGps =
        RunGeotalCli(folders.scratch.path(), {"tag", "--photos", folders.photos, "--gps", missing});
    EXPECT_EQ(noGps.status, 1);
    EXPECT_EQ(noGps.err, "geotal-cli: tag: --gps '" + missing + "' is not a folder\n");
    EXPECT_EQ(noGps.out, "");
}

}  // namespace
}  // namespace geotal
