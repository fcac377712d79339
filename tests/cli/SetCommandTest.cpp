#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(SetCommand, writesThePositionIntoEveryPhoto) {
    TempFolder folder;
    const std::string dash = MakeDatedPhoto(folder / "-x 'y'.jpg");
    const std::string plain = MakeDatedPhoto(folder / "b.jpg");
    const test::CliRun run = RunGeotalCli(
        folder.path(), {"set", "-33.8688", "151.2093", "--altitude", "-5", dash, plain});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "2 image files were successfully updated.\n");
    EXPECT_EQ(run.err, "");
    for (const std::string& path : {dash, plain}) {
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitude"), "33/1 52/1 192/25");
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "S");
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLongitude"), "151/1 12/1 837/25");
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLongitudeRef"), "E");
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSAltitude"), "5/1");
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSAltitudeRef"), "1");
    }
}

// A RAW file and its second format share NAME.xmp; neither photo's bytes change, and the
// photos command then shows the sidecar's position for both.
TEST(SetCommand, writesTheSidecarOfPhotosOtherThanJpegOnceAndListsIt) {
    TempFolder folder;
    const std::string raw = MakeDatedPhoto(folder / "IMG_7.NEF");
    const std::string tiff = MakeDatedPhoto(folder / "IMG_7.tif");
    const std::string before = ReadBytes(raw);
    const test::CliRun run =
        RunGeotalCli(folder.path(), {"set", "-33.8688", "151.2093", raw, tiff});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1 XMP sidecar was successfully updated.\n") << "one file for both";
    EXPECT_EQ(ReadBytes(raw), before);
    EXPECT_EQ(TagText(raw, "Exif.GPSInfo.GPSLatitude"), "");
    EXPECT_NE(ReadBytes(folder / "IMG_7.xmp").find("exif:GPSLatitude=\"33,52.128S\""),
              std::string::npos);

    const test::CliRun listed = RunGeotalCli(folder.path(), {"photos", folder.path()});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out,
              "IMG_7.NEF\t2010/01/01 12:00:00\t-33.868800\t151.209300\t0\n"
              "IMG_7.tif\t2010/01/01 12:00:00\t-33.868800\t151.209300\t0\n");

    WriteBytes(folder / "IMG_7.xmp", "<x:xmpmeta");
    const test::CliRun refused = RunGeotalCli(folder.path(), {"set", "1", "2", raw});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Cannot write the sidecar"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadBytes(folder / "IMG_7.xmp"), "<x:xmpmeta");
}

// A RAW and its JPEG with sidecars only share IMG_8.xmp, written once; the JPEG is untouched.
// A second run with another position and a backup folder keeps the first run's sidecar there.
TEST(SetCommand, writesSidecarsOnlyAndBacksUpTheSidecarItReplaces) {
    TempFolder folder;
    const std::string raw = MakeDatedPhoto(folder / "IMG_8.CR2");
    const std::string jpeg = MakeDatedPhoto(folder / "IMG_8.JPG");
    const std::string before = ReadBytes(jpeg);
    const test::CliRun run =
        RunGeotalCli(folder.path(), {"set", "--sidecar-only", "10", "20", raw, jpeg});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1 XMP sidecar was successfully updated.\n");
    EXPECT_EQ(ReadBytes(jpeg), before);
    const std::string first = ReadBytes(folder / "IMG_8.xmp");
    EXPECT_NE(first.find("exif:GPSLatitude=\"10,0.0N\""), std::string::npos);

    const std::string copies = folder / "copies";
    ASSERT_EQ(::mkdir(copies.c_str(), 0755), 0);
    const test::CliRun again = RunGeotalCli(
        folder.path(), {"set", "11", "20", "--sidecar-name=name", "--copy-to", copies, raw});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ReadBytes(copies + "/IMG_8.xmp"), first);
    EXPECT_NE(ReadBytes(folder / "IMG_8.xmp").find("exif:GPSLatitude=\"11,0.0N\""),
              std::string::npos);

    const test::CliRun bad =
        RunGeotalCli(folder.path(), {"set", "--sidecar-name", "suffix", "12", "20", raw});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--sidecar-name"), std::string::npos) << bad.err;
}

TEST(SetCommand, writesNoAltitudeWhenNoneIsGiven) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    const test::CliRun run = RunGeotalCli(folder.path(), {"set", "47.51", "8.25", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSAltitude"), "");
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSAltitudeRef"), "");
}

TEST(SetCommand, takesOptionsInEitherFormAnywhereBeforeTheDashes) {
    TempFolder folder;
    const std::string dash = MakeDatedPhoto(folder / "-x.jpg");
    const std::string twoDashes = MakeDatedPhoto(folder / "--y.jpg");
    const test::CliRun run =
        RunGeotalCli(folder.path(), {"set", "-33.8688", "-151.2093", dash, "--altitude=-5",
                                     "--altitude", "7", "--", twoDashes});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "2 image files were successfully updated.\n");
    for (const std::string& path : {dash, twoDashes}) {
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLongitudeRef"), "W");
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSAltitude"), "7/1");  // the last one counts
    }
}

TEST(SetCommand, triesEveryPhotoAndReportsEachFailure) {
    TempFolder folder;
    const std::string first = MakeDatedPhoto(folder / "a.jpg");
    const std::string blocked = MakeDatedPhoto(folder / "b.jpg");
    const std::string last = MakeDatedPhoto(folder / "c.jpg");
    WriteBytes(folder / "b_oldGeotal.jpg", "leftover");
    const test::CliRun run = RunGeotalCli(
        folder.path(), {"set", "47.51", "8.25", first, blocked, folder / "missing.jpg", last});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "2 image files were successfully updated.\n");
    EXPECT_EQ(run.err, "Error Renaming old file : " + blocked + " (" + folder / "b_oldGeotal.jpg" +
                           " is a file left by an interrupted update; move it away to update "
                           "this photo)\nError reading file : " +
                           folder / "missing.jpg" + " (No such file or directory)\n");
    EXPECT_EQ(TagText(last, "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(TagText(blocked, "Exif.GPSInfo.GPSLatitudeRef"), "");
}

TEST(SetCommand, saysWhyAPhotoCouldNotBeReadAtAll) {
    TempFolder folder;
    ASSERT_EQ(::symlink("nothing.jpg", (folder / "dangling.jpg").c_str()), 0);
    ASSERT_EQ(::mkdir((folder / "folder.jpg").c_str(), 0755), 0);
    WriteBytes(folder / "text.jpg", "not a photo\n");
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"missing.jpg", "No such file or directory"},
        {"dangling.jpg", "No such file or directory"},
        {"folder.jpg", "Is a directory"},
    };
    for (const auto& c : cases) {
        const test::CliRun run = RunGeotalCli(folder.path(), {"set", "1", "2", folder / c.name});
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_EQ(run.err, "Error reading file : " + folder / c.name + " (" + c.reason + ")\n");
    }
    // Read, but no photo a position can be written into.
    const test::CliRun run = RunGeotalCli(folder.path(), {"set", "1", "2", folder / "text.jpg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error writing file : " + folder / "text.jpg" +
                           " (not a JPEG file; no position can be written into it)\n");
}

// A name that would set the terminal's title or clear its screen is shown, not acted on, and
// a line feed in a name does not start a line of its own.
TEST(SetCommand, escapesControlCharactersOfNamesInItsMessages) {
    TempFolder folder;
    const std::string title = "a\x1b]0;owned\x07.jpg";
    const std::string lines = "b\nError reading file : c\x7f.jpg";
    WriteBytes(folder / title, "not a photo\n");
    WriteBytes(folder / "d\x1b.xmp", "<x:xmpmeta");
    WriteBytes(folder / "d\x1b.NEF", "a raw photo");
    const test::CliRun run = RunGeotalCli(
        folder.path(), {"set", "1", "2", folder / title, folder / lines, folder / "d\x1b.NEF"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\x07'), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\x7f'), std::string::npos) << run.err;
    const std::string escapedFolder = folder.path();
    EXPECT_NE(run.err.find("Error writing file : " + escapedFolder +
                           "/a\\x1b]0;owned\\x07.jpg (not a JPEG file; no position can be "
                           "written into it)\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Error reading file : " + escapedFolder +
                           "/b\\nError reading file : c\\x7f.jpg (No such file or directory)\n"),
              std::string::npos)
        << run.err;
    // The sidecar's name is not the photo's, but its control characters go all the same.
    EXPECT_NE(run.err.find("d\\x1b.xmp"), std::string::npos) << run.err;
}

// The same for the names in a refused request.
TEST(SetCommand, escapesControlCharactersOfTheCopyFolderAndPhotosItRefuses) {
    TempFolder folder;
    const std::string copies = folder / "copies\x1b[2J";
    ASSERT_EQ(::mkdir(copies.c_str(), 0755), 0);
    const std::string photo = MakeDatedPhoto(copies + "/a\x1b[2J.jpg");
    const std::string escaped = folder.path() + "/copies\\x1b[2J";
    const struct {
        std::string copyTo;
        std::string message;
    } cases[] = {
        {copies + "/missing", "--copy-to '" + escaped + "/missing' is not an existing folder"},
        {copies,
         "--copy-to '" + escaped + "' is the folder of " + escaped + "/a\\x1b[2J.jpg itself"},
    };
    for (const auto& c : cases) {
        const test::CliRun run =
            RunGeotalCli(folder.path(), {"set", "--copy-to", c.copyTo, "1", "2", photo});
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
    }
}

TEST(SetCommand, copiesEachPhotoFirstWhenAsked) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "a.jpg");
    const std::string before = ReadBytes(photo);
    ASSERT_EQ(::mkdir((folder / "copies").c_str(), 0755), 0);
    const test::CliRun run =
        RunGeotalCli(folder.path(), {"set", "--copy-to=" + folder / "copies/", "1", "2", photo});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(folder / "copies/a.jpg"), before);
    EXPECT_NE(ReadBytes(photo), before);
}

TEST(SetCommand, keepsTheFirstCopyOfTwoPhotosOfOneName) {
    TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "a").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((folder / "b").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((folder / "copies").c_str(), 0755), 0);
    const std::string first = MakeDatedPhoto(folder / "a/x.jpg");
    const std::string second =
        MakeDatedPhoto(folder / "b/x.jpg", {{"Exif.Image.Model", "another camera"}});
    const std::string firstBefore = ReadBytes(first);
    const std::string secondBefore = ReadBytes(second);
    const test::CliRun run = RunGeotalCli(
        folder.path(), {"set", "--copy-to", folder / "copies", "47", "8", first, second});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "1 image files were successfully updated.\n");
    EXPECT_EQ(run.err, "Error copying file : " + second + " (" + folder / "copies/x.jpg" +
                           " is already there and is another photo; a backup is never replaced)\n");
    EXPECT_EQ(ReadBytes(folder / "copies/x.jpg"), firstBefore);
    EXPECT_EQ(ReadBytes(second), secondBefore);
}

TEST(SetCommand, writesOnAFileSystemWithoutHardLinksOrPermissions) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "a.jpg");
    ASSERT_EQ(::mkdir((folder / "copies").c_str(), 0755), 0);
    const test::CliRun run = test::RunProgram(
        folder.path(),
        test::OnFatLikeFileSystem({"set", "--copy-to", folder / "copies", "47.51", "8.25", photo}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(TagText(photo, "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(test::FolderNames(folder.path()),
              (std::vector<std::string>{"a.jpg", "cli.err", "cli.out", "copies"}));
    EXPECT_EQ(test::FolderNames(folder / "copies"), std::vector<std::string>{"a.jpg"});
}

// On a memory card IMG_0001.JPG and IMG_0001.edited.jpg share one temporary name, as the card
// ignores case: neither may take the other's place or lose its pending new file.
TEST(SetCommand, keepsPhotosApartWhoseTemporaryNamesDifferInCaseAlone) {
    TempFolder folder;
    const std::string camera = MakeDatedPhoto(folder / "IMG_0001.JPG");
    const std::string edited = MakeDatedPhoto(folder / "IMG_0001.edited.jpg");
    WriteBytes(edited, ReadBytes(edited) + "the edited one");
    const test::CliRun run = test::RunProgram(
        folder.path(), test::OnFatLikeFileSystem({"set", "47.51", "8.25", camera, edited}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "2 image files were successfully updated.\n");
    for (const std::string& photo : {camera, edited}) {
        EXPECT_EQ(TagText(photo, "Exif.GPSInfo.GPSLatitudeRef"), "N") << photo;
    }
    EXPECT_EQ(ReadBytes(camera).find("the edited one"), std::string::npos);
    EXPECT_NE(ReadBytes(edited).find("the edited one"), std::string::npos);
    EXPECT_EQ(
        test::FolderNames(folder.path()),
        (std::vector<std::string>{"IMG_0001.JPG", "IMG_0001.edited.jpg", "cli.err", "cli.out"}));
}

TEST(SetCommand, refusesAFolderThatAnotherRunHoldsAndSaysSo) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "a.jpg");
    const std::string before = ReadBytes(photo);
    const int held = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const test::CliRun run = RunGeotalCli(folder.path(), {"set", "47.51", "8.25", photo});
    ::close(held);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("another run of Geotal is updating"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(photo), before);
}

// After a kill: a partial backup left in the copy folder, photos already written and backed up,
// and a shell glob that takes a pending new file for a photo.
TEST(SetCommand, finishesARerunAfterAKillWithACopyFolder) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "a.jpg");
    const std::string original = ReadBytes(photo);
    ASSERT_EQ(::mkdir((folder / "copies").c_str(), 0755), 0);
    const std::vector<std::string> args = {"set",   "--copy-to", folder / "copies",
                                           "47.51", "8.25",      photo};
    ASSERT_EQ(RunGeotalCli(folder.path(), args).status, 0);
    const std::string written = ReadBytes(photo);
    WriteBytes(folder / "copies/.geotal-Ab12Cd", "half a copy");
    const std::string pending = MakeDatedPhoto(folder / "b_newGeotal.jpg");
    const std::string pendingBytes = ReadBytes(pending);

    const test::CliRun rerun = RunGeotalCli(folder.path(), args);
    EXPECT_EQ(rerun.status, 0) << rerun.err;
    EXPECT_EQ(rerun.out, "1 image files were successfully updated.\n");
    EXPECT_TRUE(ReadBytes(photo) == written) << "a photo holding the position is not rewritten";
    EXPECT_EQ(test::FolderNames(folder / "copies"), std::vector<std::string>{"a.jpg"});
    EXPECT_TRUE(ReadBytes(folder / "copies/a.jpg") == original);

    std::vector<std::string> glob = args;
    glob.push_back(pending);
    const test::CliRun globbed = RunGeotalCli(folder.path(), glob);
    EXPECT_EQ(globbed.status, 1);
    EXPECT_EQ(globbed.out, "1 image files were successfully updated.\n");
    EXPECT_NE(globbed.err.find("b_newGeotal.jpg (a temporary file of Geotal"), std::string::npos)
        << globbed.err;
    EXPECT_TRUE(ReadBytes(pending) == pendingBytes);
    EXPECT_EQ(test::FolderNames(folder / "copies"), std::vector<std::string>{"a.jpg"});
}

TEST(SetCommand, leavesAnotherUsersWritablePhotoToItsOwner) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run as a second user";
    }
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const std::string photo = MakeDatedPhoto(folder / "a.jpg");
    ASSERT_EQ(::chown(photo.c_str(), 1234, 1234), 0);
    ASSERT_EQ(::chmod(photo.c_str(), 0666), 0);
    const std::string before = ReadBytes(photo);
    const test::CliRun run = test::RunProgram(
        folder.path(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                        GEOTAL_CLI_PATH, "set", "47.51", "8.25", photo});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("belongs to another user"), std::string::npos) << run.err;
    struct stat status {};
    ASSERT_EQ(::stat(photo.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 1234u);
    EXPECT_EQ(ReadBytes(photo), before);
    EXPECT_EQ(test::FolderNames(folder.path()),
              (std::vector<std::string>{"a.jpg", "cli.err", "cli.out"}));
}

TEST(SetCommand, writesAPhotoOnceThoughTwoLinksNameIt) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "photo.jpg");
    const std::string original = ReadBytes(photo);
    ASSERT_EQ(::symlink("photo.jpg", (folder / "one.jpg").c_str()), 0);
    ASSERT_EQ(::symlink("photo.jpg", (folder / "two.jpg").c_str()), 0);
    ASSERT_EQ(::mkdir((folder / "copies").c_str(), 0755), 0);
    const test::CliRun run =
        RunGeotalCli(folder.path(), {"set", "--copy-to", folder / "copies", "47.51", "8.25",
                                     folder / "one.jpg", folder / "two.jpg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "1 image files were successfully updated.\n");
    EXPECT_NE(run.err.find("two.jpg (the same photo as"), std::string::npos) << run.err;
    EXPECT_EQ(test::FolderNames(folder / "copies"), std::vector<std::string>{"one.jpg"});
    EXPECT_TRUE(ReadBytes(folder / "copies/one.jpg") == original);
}

TEST(SetCommand, refusesBadArgumentsAndWritesNothing) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "a.jpg");
    ASSERT_EQ(::mkdir((folder / "copies").c_str(), 0755), 0);
    const std::string before = ReadBytes(photo);
    const std::vector<std::vector<std::string>> cases = {
        {"set", "47", "8"},
        {"set", "0", "0", photo},
        {"set", "90.5", "8", photo},
        {"set", "47", "-180.01", photo},
        {"set", "47", "8e", photo},
        {"set", "nan", "8", photo},
        {"set", "47", "8", "--altitude", "high", photo},
        {"set", "47", "8", "--altitude", "5e9", photo},  // more than EXIF can hold
        {"set", "47", "8", "--copy-to", folder / "missing", photo},
        {"set", "47", "8", "--copy-to", photo, photo},
        {"set", "47", "8", "--frobnicate", photo},
        // An empty value stays empty rather than taking the next word.
        {"set", "47", "8", "--copy-to=", folder / "copies", photo},
        {"set", "47", "8", "--altitude=", "5", photo},
    };
    for (const auto& args : cases) {
        const test::CliRun run = RunGeotalCli(folder.path(), args);
        EXPECT_EQ(run.status, 2) << args[1] << " " << args[2] << " " << args[3];
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_EQ(ReadBytes(photo), before);
}

}  // namespace
}  // namespace geotal
