#include <sys/stat.h>

#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "metadata/ExifFixtures.h"
#include "metadata/PhotoFixture.h"
#include "output/Formatting.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::MakePhoto;
using test::RunGeotalCli;
using test::TempFolder;
using test::WriteBytes;

const test::Tags kGps = {{"Exif.GPSInfo.GPSLatitude", "47/1 30/1 36/1"},
                         {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                         {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"},
                         {"Exif.GPSInfo.GPSLongitudeRef", "W"}};

TEST(PhotosCommand, printsOneRowPerPhotoInListOrderWithTheListsTexts) {
    TempFolder scratch;
    const std::string folder = scratch / "photos";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    MakeDatedPhoto(folder + "/-lead.jpg", kGps);
    MakeDatedPhoto(folder + "/with space \"q\".JPEG");
    MakePhoto(folder + "/bad\xff name.jpg");
    MakeDatedPhoto(folder + "/equator.jpg", {{"Exif.GPSInfo.GPSLatitude", "0/1 0/1 0/1"},
                                             {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                             {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"},
                                             {"Exif.GPSInfo.GPSLongitudeRef", "E"}});
    WriteBytes(folder + "/notes.txt", "");

    for (int format : {1, 2, 3}) {
        const test::CliRun run = RunGeotalCli(
            scratch.path(), {"photos", folder + "/", "--format", std::to_string(format)});
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string time = FormatPhotoTime(40179.5);
        const CoordinateFormat f = CoordinateFormatFromNumber(format);
        const std::string expected = "-lead.jpg\t" + time + "\t" + FormatCoordinate(171036.0, f) +
                                     "\t" + FormatCoordinate(-29700.0, f) + "\t0\n" +
                                     // No capture time: an empty date, not 1899/12/30.
                                     "bad\xff name.jpg\t\t\t\t1\n" +
                                     // A photo on the equator has a position like any other.
                                     "equator.jpg\t" + time + "\t" + FormatCoordinate(0, f) + "\t" +
                                     FormatCoordinate(29700.0, f) + "\t0\n" +
                                     "with space \"q\".JPEG\t" + time + "\t\t\t1\n";
        EXPECT_EQ(run.out, expected) << "format " << format;
    }
    // One photo named on its own reads as the same row.
    const test::CliRun one = RunGeotalCli(scratch.path(), {"photos", folder + "/-lead.jpg"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, "-lead.jpg\t" + FormatPhotoTime(40179.5) + "\t" +
                           FormatCoordinate(171036.0, CoordinateFormat::DecimalDegrees) + "\t" +
                           FormatCoordinate(-29700.0, CoordinateFormat::DecimalDegrees) + "\t0\n");
}

TEST(PhotosCommand, usesDecimalDegreesByDefaultAndRefusesBadArguments) {
    TempFolder scratch;
    const std::string folder = scratch / "photos";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    MakeDatedPhoto(folder + "/a.jpg", kGps);
    const test::CliRun run = RunGeotalCli(scratch.path(), {"photos", folder});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "a.jpg\t" + FormatPhotoTime(40179.5) + "\t" +
                           FormatCoordinate(171036.0, CoordinateFormat::DecimalDegrees) + "\t" +
                           FormatCoordinate(-29700.0, CoordinateFormat::DecimalDegrees) + "\t0\n");

    const test::CliRun equalsForm =
        RunGeotalCli(scratch.path(), {"photos", "--format=2", "--", folder});
    EXPECT_EQ(equalsForm.status, 0) << equalsForm.err;
    EXPECT_EQ(equalsForm.out.substr(0, 6), "a.jpg\t");
    EXPECT_NE(equalsForm.out.find(FormatCoordinate(-29700.0, CoordinateFormat::DegreesMinutes)),
              std::string::npos);

    // A folder that cannot be listed is said to be one, not shown as a folder without photos.
    WriteBytes(scratch / "file.txt", "");
    for (const std::string& notAFolder : {scratch / "missing", scratch / "file.txt"}) {
        const test::CliRun run = RunGeotalCli(scratch.path(), {"photos", notAFolder});
        EXPECT_EQ(run.status, 1) << notAFolder;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "geotal-cli: photos: '" + notAFolder + "' is not a folder\n");
    }
    // A photo file named alone is listed as the folder would list it, readable or not.
    WriteBytes(scratch / "file.jpg", "");
    const test::CliRun empty = RunGeotalCli(scratch.path(), {"photos", scratch / "file.jpg"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "file.jpg\t\t\t\t1\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"photos"},
                                                 {"photos", folder, "--format", "4"},
                                                 {"photos", folder, "--format=0x1"},
                                                 {"photos", folder, "--format"},
                                                 {"photos", folder, folder},
                                                 {"photos", "--bogus"}}) {
        const test::CliRun bad = RunGeotalCli(scratch.path(), args);
        EXPECT_EQ(bad.status, 2) << args.back();
        EXPECT_EQ(bad.out, "");
        EXPECT_FALSE(bad.err.empty());
    }
}

TEST(PhotosCommand, escapesTabsLineEndsAndBackslashesInNamesSoEveryRowStaysOneLine) {
    TempFolder scratch;
    const std::string folder = scratch / "photos";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    MakeDatedPhoto(folder + "/a\tb\nc\\d\re.jpg");
    const test::CliRun run = RunGeotalCli(scratch.path(), {"photos", folder});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "a\\tb\\nc\\\\d\\re.jpg\t" + FormatPhotoTime(40179.5) + "\t\t\t1\n");
}

// A name can carry terminal escapes (ESC [ 2 J clears the screen); none reaches the terminal.
TEST(PhotosCommand, escapesEveryControlCharacterInNames) {
    TempFolder scratch;
    const std::string folder = scratch / "photos";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    MakeDatedPhoto(folder +
                   "/a\x1b[2Jb\x07"
                   "c\x7f\xc2\x9b\xc3\xa9.jpg");
    const test::CliRun run = RunGeotalCli(scratch.path(), {"photos", folder});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\t')), "a\\x1b[2Jb\\x07c\\x7f\\u009b\xc3\xa9.jpg");
}

// The sidecar choices of tag and set read a photo as the window reads it with the same Setup
// choices: a JPEG's sidecar first with sidecars only, the chosen naming's sidecar of two.
TEST(PhotosCommand, readsPositionsFromWhereTheSidecarChoicesWriteThem) {
    TempFolder folder;
    MakeDatedPhoto(folder / "IMG_1.jpg", kGps);
    WriteBytes(
        folder / "IMG_1.xmp",
        test::XmpPacket(" exif:GPSLatitude=\"10,30.0N\" exif:GPSLongitude=\"20,0.0E\"", "", 0));
    MakeDatedPhoto(folder / "IMG_2.tif");
    WriteBytes(folder / "IMG_2.xmp",
               test::XmpPacket(" exif:GPSLatitude=\"1,0.0N\" exif:GPSLongitude=\"2,0.0E\"", "", 0));
    WriteBytes(folder / "IMG_2.tif.xmp",
               test::XmpPacket(" exif:GPSLatitude=\"3,0.0N\" exif:GPSLongitude=\"4,0.0E\"", "", 0));
    const auto positions = [&folder](std::vector<std::string> options) {
        options.insert(options.begin(), {"photos", folder.path()});
        const test::CliRun run = RunGeotalCli(folder.path(), options);
        EXPECT_EQ(run.status, 0) << run.err;
        std::string latitudes;
        for (std::size_t row = 0; row < run.out.size(); row = run.out.find('\n', row) + 1) {
            const std::size_t time = run.out.find('\t', row);
            const std::size_t latitude = run.out.find('\t', time + 1) + 1;
            latitudes += run.out.substr(latitude, run.out.find('\t', latitude) - latitude) + " ";
        }
        return latitudes;
    };
    EXPECT_EQ(positions({}), "47.510000 1.000000 ");
    EXPECT_EQ(positions({"--sidecar-only"}), "10.500000 1.000000 ");
    EXPECT_EQ(positions({"--sidecar-name", "ext"}), "47.510000 3.000000 ");
    EXPECT_EQ(RunGeotalCli(folder.path(), {"photos", folder.path(), "--sidecar-name", "x"}).status,
              2);
}

}  // namespace
}  // namespace geotal

namespace geotal {
namespace {

// Another program rewriting a RAW file while it is listed: every file mapped is cut short at
// once. The library maps CRW and RW2 files it parses; listed through a private copy of the
// bytes instead, each is listed with its time, and no listing dies of SIGBUS.
TEST(PhotosCommand, listsRawFilesThatAnotherProgramCutsShortWithoutDyingOfABusError) {
    const std::string raw = GEOTAL_REAL_RAW;
    GEOTAL_SKIP_WITHOUT(raw + "/crw/et_CanonRaw.crw");
    TempFolder scratch;
    const std::pair<const char*, const char*> files[] = {
        {"crw/et_CanonRaw.crw", "2003/11/10 17:39:26"},
        {"rw2/et_Panasonic.rw2", "2008/08/06 15:21:56"},
    };
    for (const auto& [name, time] : files) {
        const std::string file = scratch / std::string(name).substr(4);
        test::WriteBytes(file, test::ReadBytes(raw + "/" + name));
        const test::CliRun run = test::RunProgram(
            scratch.path(), {"/usr/bin/env", "LD_PRELOAD=" GEOTAL_TRUNCATE_SHIM_PATH,
                             GEOTAL_CLI_PATH, "photos", file, "--format", "3"});
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_NE(run.out.find(time), std::string::npos) << name << ": " << run.out;
    }
}

}  // namespace
}  // namespace geotal
