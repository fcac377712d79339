// geotal-cli set --remove: each photo says whether its position was removed, it had none, or why
// it could not be; the copy folder and sidecar options work as they do for a position.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "metadata/PhotoFixture.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::RunGeotalCli;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

const test::Tags kGps = {
    {"Exif.GPSInfo.GPSLatitudeRef", "N"},  {"Exif.GPSInfo.GPSLatitude", "47/1 30/1 36/1"},
    {"Exif.GPSInfo.GPSLongitudeRef", "E"}, {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"},
    {"Exif.GPSInfo.GPSAltitudeRef", "0"},  {"Exif.GPSInfo.GPSAltitude", "412/1"}};

TEST(SetRemove, saysForEachPhotoWhatWasDoneAndGoesOnAfterAFailure) {
    TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "copies").c_str(), 0755), 0);
    const std::string placed = MakeDatedPhoto(folder / "a.jpg", kGps);
    const std::string plain = MakeDatedPhoto(folder / "b.jpg");
    const std::string blocked = MakeDatedPhoto(folder / "c.jpg", kGps);
    const std::string plainBytes = ReadBytes(plain);
    WriteBytes(folder / "c_oldGeotal.jpg", "leftover");
    const test::CliRun run = RunGeotalCli(
        folder.path(), {"set", "--remove", "--copy-to", folder / "copies", placed, plain, blocked});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, placed + ": position removed\n" + plain +
                           ": had no position\n1 image files were successfully updated.\n");
    EXPECT_EQ(run.err.rfind("Error Renaming old file : " + blocked, 0), 0u) << run.err;
    EXPECT_EQ(TagText(placed, "Exif.GPSInfo.GPSLatitude"), "");
    EXPECT_EQ(TagText(placed, "Exif.GPSInfo.GPSAltitude"), "");
    EXPECT_EQ(ReadBytes(plain), plainBytes);
    EXPECT_EQ(TagText(blocked, "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 36/1");
    // The original is kept before its position goes; a photo left as it was needs no copy.
    EXPECT_EQ(test::FolderNames(folder / "copies"), std::vector<std::string>{"a.jpg"});
    EXPECT_EQ(TagText(folder / "copies/a.jpg", "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 36/1");
}

// A sidecar's position goes with --sidecar-only; a RAW file without a sidecar gets none made, and
// one whose own tags hold the position is refused with the reason.
TEST(SetRemove, takesSidecarPositionsOutAndMakesNoSidecar) {
    TempFolder folder;
    const std::string photos = folder / "photos";
    ASSERT_EQ(::mkdir(photos.c_str(), 0755), 0);
    const std::string jpeg = MakeDatedPhoto(photos + "/a.jpg");
    const std::string bare = MakeDatedPhoto(photos + "/b.NEF");
    const std::string own = MakeDatedPhoto(photos + "/c.NEF", kGps);
    ASSERT_EQ(RunGeotalCli(folder.path(), {"set", "--sidecar-only", "1", "2", jpeg}).status, 0);
    const std::string jpegBytes = ReadBytes(jpeg);
    const test::CliRun run =
        RunGeotalCli(folder.path(), {"set", "--remove", "--sidecar-only", jpeg, bare, own});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, jpeg + ": position removed\n" + bare +
                           ": had no position\n1 XMP sidecar was successfully updated.\n");
    EXPECT_NE(run.err.find(own + " (the photo file itself holds a position"), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadBytes(photos + "/a.xmp").find("GPSLatitude"), std::string::npos);
    EXPECT_EQ(ReadBytes(jpeg), jpegBytes) << "only the sidecar is written";
    EXPECT_EQ(test::FolderNames(photos),
              (std::vector<std::string>{"a.jpg", "a.xmp", "b.NEF", "c.NEF"}));
}

TEST(SetRemove, refusesCoordinatesAnAltitudeOrNoPhoto) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "a.jpg", kGps);
    const std::string before = ReadBytes(photo);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"set", "--remove"},
          {"set", "--remove", "--altitude", "5", photo},
          {"set", "--remove", "--copy-to", folder / "missing", photo}}) {
        const test::CliRun run = RunGeotalCli(folder.path(), args);
        EXPECT_EQ(run.status, 2) << args.size();
        EXPECT_FALSE(run.err.empty());
    }
    // Coordinates after --remove are no photos: named as such, and the photo still loses its.
    const test::CliRun run = RunGeotalCli(folder.path(), {"set", "--remove", "47", "8", photo});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("47"), std::string::npos) << run.err;
    EXPECT_NE(ReadBytes(photo), before);
}

}  // namespace
}  // namespace geotal
