// geotal-cli restore: its arguments, what it prints, and a round trip through set --copy-to on
// the shared collection of real photos and sidecars.
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "metadata/PhotoFixture.h"
#include "photo/PhotoFolder.h"
#include "support/AsciiText.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;
using test::FolderNames;
using test::MakeDatedPhoto;
using test::ReadBytes;
using test::RunGeotalCli;
using test::TempFolder;
using test::WriteBytes;

// Every file of a folder, by name, with its bytes.
std::map<std::string, std::string> Contents(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : FolderNames(folder)) {
        files[name] = ReadBytes(folder + "/" + name);
    }
    return files;
}

// A scratch folder for the runs' output, a photo folder and a copy folder.
struct Folders {
    TempFolder scratch;
    std::string photos = scratch / "photos";
    std::string copies = scratch / "copies";
    Folders() {
        fs::create_directory(photos);
        fs::create_directory(copies);
    }
};

TEST(RestoreCommand, refusesWrongArgumentsBeforeLookingAtAnyPhoto) {
    Folders folders;
    const std::string photo = MakeDatedPhoto(folders.photos + "/a.jpg");
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"restore", photo}, "--copy-from is required"},
        {{"restore", "--copy-from", folders.copies}, "PHOTO is required"},
        {{"restore", "--copy-from", folders.copies, photo, folders.photos}, "is a folder"},
        {{"restore", "--copy-from", folders.photos, photo}, "is the folder of the photos"},
        {{"restore", "--copy-from", folders.photos, folders.photos + "/"},
         "is the folder of the photos"},
        {{"restore", "--copy-from", folders.scratch / "none", photo}, "is not a folder"},
        {{"restore", "--copy-from=", photo}, "needs a folder"},
    };
    for (const auto& [args, says] : cases) {
        const test::CliRun run = RunGeotalCli(folders.scratch.path(), args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(RestoreCommand, listsWhatItWouldDoWithDryRunAndThenDoesIt) {
    Folders folders;
    const std::string a = MakeDatedPhoto(folders.photos + "/a.jpg");
    const std::string b = MakeDatedPhoto(folders.photos + "/b.jpg");
    const std::string original = ReadBytes(a);
    ASSERT_EQ(RunGeotalCli(folders.scratch.path(),
                           {"set", "47.5", "8.25", "--copy-to", folders.copies, a})
                  .status,
              0);
    WriteBytes(folders.copies + "/other.jpg", "a copy of a photo of another folder");
    const auto written = Contents(folders.photos);

    const test::CliRun dry =
        RunGeotalCli(folders.scratch.path(),
                     {"restore", "--copy-from", folders.copies, "--dry-run", folders.photos});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, a + ": would be restored from " + folders.copies +
                           "/a.jpg (the position it held, 47.500000 8.250000, goes with it)\n" + b +
                           ": nothing to restore\n" + folders.copies +
                           " holds 1 file of no photo in " + folders.photos +
                           ", left alone: other.jpg\n"
                           "1 photo and 0 sidecars to restore, 1 photo with nothing to restore\n");
    EXPECT_EQ(Contents(folders.photos), written);

    const test::CliRun run =
        RunGeotalCli(folders.scratch.path(), {"restore", "--copy-from", folders.copies, a, b});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(a + ": restored from"), std::string::npos) << run.out;
    EXPECT_EQ(ReadBytes(a), original);
}

TEST(RestoreCommand, refusesAPhotoChangedSinceTheCopyWithTheReasonAndExitsWithOne) {
    Folders folders;
    const std::string a = MakeDatedPhoto(folders.photos + "/a.jpg");
    ASSERT_EQ(RunGeotalCli(folders.scratch.path(),
                           {"set", "47.5", "8.25", "--copy-to", folders.copies, a})
                  .status,
              0);
    test::SetTags(a, {{"Exif.Image.ImageDescription", "retouched"}});
    const std::string changed = ReadBytes(a);
    const test::CliRun run =
        RunGeotalCli(folders.scratch.path(), {"restore", "--copy-from", folders.copies, a});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(a + ": refused: changed since the copy"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Exif.Image.ImageDescription"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "0 photos and 0 sidecars restored, 1 photo refused\n");
    EXPECT_EQ(ReadBytes(a), changed);
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> endings) {
    for (const char* ending : endings) {
        if (EndsWithNoCase(name, ending)) {
            return true;
        }
    }
    return false;
}

// Every real JPEG written in place, every real sidecar of the collection written beside a real
// RAW file, and one RAW file given a sidecar of its own; the restore gives back every byte.
TEST(RestoreCommand, givesBackEveryRealPhotoAndSidecarByteForByteAfterSetWithCopies) {
    GEOTAL_SKIP_WITHOUT(GEOTAL_REAL_PHOTOS);
    GEOTAL_SKIP_WITHOUT(GEOTAL_REAL_RAW);
    Folders folders;
    std::vector<std::string> photos;
    for (const fs::directory_entry& entry : fs::directory_iterator(GEOTAL_REAL_PHOTOS)) {
        const std::string name = entry.path().filename().string();
        if (IsOneOf(name, {".jpg", ".jpeg"})) {
            fs::copy_file(entry.path(), folders.photos + "/" + name);
            photos.push_back(folders.photos + "/" + name);
        }
    }
    const fs::path raw = fs::path(GEOTAL_REAL_RAW) / "cr2" / "et_CanonRaw.cr2";
    int sidecars = 0;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(GEOTAL_REAL_RAW) / "xmp")) {
        if (IsOneOf(entry.path().filename().string(), {".xmp"})) {
            const std::string name = "raw" + std::to_string(++sidecars);
            fs::copy_file(raw, folders.photos + "/" + name + ".CR2");
            fs::copy_file(entry.path(), folders.photos + "/" + name + ".xmp");
            photos.push_back(folders.photos + "/" + name + ".CR2");
        }
    }
    fs::copy_file(raw, folders.photos + "/bare.CR2");
    photos.push_back(folders.photos + "/bare.CR2");
    ASSERT_GT(sidecars, 10);
    const auto originals = Contents(folders.photos);

    std::vector<std::string> set = {"set", "-33.8688", "151.2093", "--copy-to", folders.copies};
    set.insert(set.end(), photos.begin(), photos.end());
    RunGeotalCli(folders.scratch.path(), set);  // a few damaged ones are refused: they stay
    int changed = 0;
    for (const auto& [name, bytes] : originals) {
        changed += ReadBytes(folders.photos + "/" + name) != bytes ? 1 : 0;
    }
    ASSERT_GT(changed, 60) << "most photos and sidecars were written";
    ASSERT_TRUE(test::Exists(folders.photos + "/bare.xmp"));

    const test::CliRun run = RunGeotalCli(
        folders.scratch.path(), {"restore", "--copy-from", folders.copies, folders.photos});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("bare.CR2: sidecar bare.xmp removed (a run made it)"), std::string::npos)
        << run.out;
    const auto restored = Contents(folders.photos);
    EXPECT_EQ(restored.size(), originals.size()) << "the made sidecar is gone, nothing added";
    for (const auto& [name, bytes] : originals) {
        const auto now = restored.find(name);
        EXPECT_TRUE(now != restored.end() && now->second == bytes) << name << " is not as it was";
    }
    const test::CliRun again = RunGeotalCli(
        folders.scratch.path(), {"restore", "--copy-from", folders.copies, folders.photos});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("0 photos and 0 sidecars restored, " + std::to_string(photos.size()) +
                             " photos with nothing to restore"),
              std::string::npos)
        << again.out;
}

}  // namespace
}  // namespace geotal
