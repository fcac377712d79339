#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "photo/PhotoFixture.h"
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
        const WriteOutcome outcome = writer.PutFileLongLat(folder / c.link, kLat, kLon, 0);
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
    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, kLat, kLon, 0);
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

}  // namespace
}  // namespace geotal
