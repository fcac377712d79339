#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "photo/PhotoWriter.h"

namespace geotal {
namespace {

using test::FolderNames;
using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TagText;
using test::TempFolder;

constexpr double kLat = 171036.0;
constexpr double kLon = 29700.0;

std::string LinkTarget(const std::string& link) {
    char target[4096];
    const ssize_t size = ::readlink(link.c_str(), target, sizeof target);
    return size < 0 ? std::string() : std::string(target, static_cast<std::size_t>(size));
}

TEST(PutFileLongLat, writesThePhotoBehindSymbolicLinksAndKeepsTheLinks) {
    TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "real").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((folder / "links").c_str(), 0755), 0);
    struct Case {
        const char* link;
        std::string target;
        const char* photo;
    };
    const Case cases[] = {
        {"links/a.jpg", "../real/a.jpg", "real/a.jpg"},
        {"links/b.jpg", folder / "real/b.jpg", "real/b.jpg"},
        {"links/c.jpg", "hop", "real/c.jpg"},  // a link to a link
        {"links/hop", "../real/c.jpg", "real/c.jpg"},
    };
    for (const Case& c : cases) {
        MakeDatedPhoto(folder / c.photo);
        ASSERT_EQ(::symlink(c.target.c_str(), (folder / c.link).c_str()), 0);
    }
    PhotoWriter writer;
    for (const Case& c : {cases[0], cases[1], cases[2]}) {
        const WriteOutcome outcome = writer.PutFileLongLat(folder / c.link, {kLat, kLon, 0, {}});
        EXPECT_EQ(outcome.result, WriteResult::Written) << c.link << ": " << outcome.message;
        EXPECT_EQ(LinkTarget(folder / c.link), c.target) << "still the same link";
        EXPECT_EQ(TagText(folder / c.photo, "Exif.GPSInfo.GPSLatitudeRef"), "N") << c.photo;
    }
    EXPECT_EQ(FolderNames(folder / "real"), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(FolderNames(folder / "links"),
              (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "hop"}));
}

TEST(PutFileLongLat, leavesAPhotoWithSeveralNamesAsItIs) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    ASSERT_EQ(::link(path.c_str(), (folder / "also a.jpg").c_str()), 0);
    const std::string before = ReadBytes(path);
    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, 0, {}});
    EXPECT_EQ(outcome.result, WriteResult::Failed);
    EXPECT_EQ(outcome.code, WriteCode::SeveralNames);
    EXPECT_EQ(outcome.message,
              "Error writing file : " + path +
                  " (it has 2 hard links; a changed copy would part it from its other names)\n");
    EXPECT_EQ(ReadBytes(path), before);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_nlink, 2u);
}

TEST(PutFileLongLat, keepsTheOwnerGroupAndModeOfAnotherUsersReadOnlyPhoto) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a photo to another user";
    }
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(path.c_str(), 02440), 0);
    // Root may write any photo, a read-only one too; it stays the user's and read-only.
    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, 0, {}});
    EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "N");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_gid, 65534u);
    EXPECT_EQ(status.st_mode & 07777, 02440u);
}

// Every extended attribute of a file, by name.
std::map<std::string, std::string> Attributes(const std::string& path) {
    std::map<std::string, std::string> attributes;
    char names[4096];
    const ssize_t size = ::listxattr(path.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        char value[4096];
        const ssize_t length = ::getxattr(path.c_str(), names + at, value, sizeof value);
        attributes[names + at] = std::string(value, static_cast<std::size_t>(std::max(length, 0L)));
    }
    return attributes;
}

TEST(PutFileLongLat, keepsEveryExtendedAttributeAndTheAcl) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    if (::setxattr(path.c_str(), "user.rating", "5", 1, 0) != 0) {
        GTEST_SKIP() << "the temporary folder's file system keeps no user attributes";
    }
    if (::access("/usr/bin/setfacl", X_OK) != 0) {
        GTEST_SKIP() << "setfacl (package acl) is not installed";
    }
    // The ACL's mask is the group's bits of the mode: rw here, although the group has r.
    ASSERT_EQ(std::system(("setfacl -m u:65534:rw,g::r '" + path + "'").c_str()), 0);
    const std::map<std::string, std::string> before = Attributes(path);
    ASSERT_EQ(before.count("system.posix_acl_access"), 1u);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    const mode_t mode = status.st_mode;

    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, 0, {}});
    EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
    EXPECT_EQ(Attributes(path), before);
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode, mode);
}

}  // namespace
}  // namespace geotal
