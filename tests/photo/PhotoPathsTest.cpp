#include "photo/PhotoPaths.h"

#include <gtest/gtest.h>

namespace geotal {
namespace {

TEST(PhotoPaths, splitsPathsIntoTheirPieces) {
    struct Case {
        const char* path;
        const char* fileName;
        const char* folder;
        const char* extension;
        const char* baseName;
    };
    const Case cases[] = {
        {"/pics/IMG_0001.JPG", "IMG_0001.JPG", "/pics", "JPG", "IMG_0001"},
        {"/pics/a.b.jpg", "a.b.jpg", "/pics", "jpg", "a"},
        {"a.jpg", "a.jpg", "", "jpg", "a"},
        {"/pics/noext", "noext", "/pics", "/pics/noext", ""},
        {"/p.d/noext", "noext", "/p.d", "d/noext", ""},
        {"/pics/", "", "/pics", "/pics/", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameOf(c.path), c.fileName) << c.path;
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(ExtensionOf(c.path), c.extension) << c.path;
        EXPECT_EQ(BaseNameOf(c.path), c.baseName) << c.path;
    }
}

TEST(PhotoPaths, formsTemporaryNamesBesideThePhoto) {
    struct Case {
        const char* path;
        const char* newName;
    };
    const Case cases[] = {
        {"/pics/IMG_0001.JPG", "/pics/IMG_0001_newGeotal.JPG"},
        {"/pics/a.b.jpg", "/pics/a_newGeotal.jpg"},
        {"a.jpg", "a_newGeotal.jpg"},
        {"/a.jpg", "/a_newGeotal.jpg"},
        {"/p.d/noext", "/p.d/noext_newGeotal"},
        {"/pics/my photo.jpeg", "/pics/my photo_newGeotal.jpeg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TemporaryNameOf(c.path, "_newGeotal"), c.newName) << c.path;
    }
    EXPECT_EQ(TemporaryNameOf("/pics/IMG_0001.JPG", "_oldGeotal"), "/pics/IMG_0001_oldGeotal.JPG");
}

}  // namespace
}  // namespace geotal
