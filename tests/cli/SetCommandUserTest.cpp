#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "metadata/PhotoFixture.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TagText;
using test::TempFolder;

constexpr uid_t kNobody = 65534;

struct Photo {
    const char* name;
    uid_t owner;
    mode_t mode;
    bool written;
};

TEST(SetCommand, asAnotherUserWritesOnlyThePhotosThatUserMayChange) {
    if (::geteuid() != 0 || ::access(test::kSetpriv, X_OK) != 0) {
        GTEST_SKIP() << "only root can run the command as another user (with setpriv)";
    }
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);  // a folder everyone may write
    const Photo photos[] = {
        {"own.jpg", kNobody, 0644, true},
        {"read-only.jpg", kNobody, 0444, false},
        {"root's.jpg", 0, 0644, false},
    };
    std::vector<std::string> args = {"set", "47.51", "8.25"};
    std::string errors;
    for (const Photo& photo : photos) {
        const std::string path = MakeDatedPhoto(folder / photo.name);
        ASSERT_EQ(::chown(path.c_str(), photo.owner, photo.owner), 0);
        ASSERT_EQ(::chmod(path.c_str(), photo.mode), 0);
        args.push_back(path);
        if (!photo.written) {
            errors += "Error writing file : " + path +
                      " (Permission denied: this user may not change the photo)\n";
        }
    }
    const test::CliRun run = test::RunGeotalCliAs(kNobody, folder.path(), args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "1 image files were successfully updated.\n");
    EXPECT_EQ(run.err, errors);
    for (const Photo& photo : photos) {
        const std::string path = folder / photo.name;
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), photo.written ? "N" : "")
            << photo.name;
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_uid, photo.owner) << photo.name;
        EXPECT_EQ(status.st_mode & 07777, photo.mode) << photo.name;
    }
    EXPECT_EQ(test::FolderNames(folder.path()).size(), 5u) << "the photos, cli.out and cli.err";
}

}  // namespace
}  // namespace geotal
