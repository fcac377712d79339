#include "photo/PhotoPaths.h"

#include <gtest/gtest.h>

namespace geotal {
namespace {

TEST(PhotoPaths, splitsPathsIntoTheirPieces) {
    struct Case {
        const char* path;
        const char* fileName;
        const char* folder;
        const char* baseName;
    };
    const Case cases[] = {
        {"/pics/IMG_0001.JPG", "IMG_0001.JPG", "/pics", "IMG_0001"},
        {"/pics/a.b.jpg", "a.b.jpg", "/pics", "a"},
        {"a.jpg", "a.jpg", "", "a"},
        {"/pics/noext", "noext", "/pics", ""},
        {"/p.d/noext", "noext", "/p.d", ""},
        {"/pics/", "", "/pics", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameOf(c.path), c.fileName) << c.path;
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(BaseNameOf(c.path), c.baseName) << c.path;
    }
}

TEST(PhotoPaths, takesNamesAsMeetingWhereACaseBlindFileSystemWouldFoldThemTogether) {
    struct Case {
        const char* a;
        const char* b;
        bool meet;
    };
    const Case cases[] = {
        {"IMG_1_newGeotal.JPG", "IMG_1_newGeotal.jpg", true},
        {"a_newGeotal.jpg", "a_newGeotal.jpg. . ", true},              // FAT drops these
        {"\xc3\x96l_newGeotal.jpg", "\xc3\xb6l_newGeotal.jpg", true},  // Ö and ö
        {"\xc3\x96l_newGeotal.jpg", "x\xc3\xb6l_newGeotal.jpg", false},
        {"IMG_1_newGeotal.jpg", "IMG_2_newGeotal.jpg", false},
        {"a_newGeotal.jpg", "a_newGeotal.jpeg", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MayNameTheSameFile(c.a, c.b), c.meet) << c.a << " " << c.b;
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

TEST(PhotoPaths, shortensTemporaryNamesThatWouldBeTooLongForTheFolder) {
    const std::string longBase(246, 'x');
    // 2-byte letters, so that a cut at an odd byte would split one.
    std::string umlauts;
    for (int i = 0; i < 125; ++i) {
        umlauts += "\xc3\xa4";
    }
    for (const std::string& name : {longBase + ".jpg", longBase + "y.jpg", umlauts + ".jpeg",
                                    longBase + "noext", "x." + std::string(252, 'e')}) {
        const std::string newName = FileNameOf(TemporaryNameOf("/pics/" + name, "_newGeotal"));
        const std::string oldName = FileNameOf(TemporaryNameOf("/pics/" + name, "_oldGeotal"));
        EXPECT_LE(newName.size(), 255u) << name;
        EXPECT_LE(oldName.size(), 255u) << name;
        EXPECT_NE(newName, oldName);
        EXPECT_TRUE(IsTemporaryName(newName)) << newName;
        EXPECT_TRUE(IsTemporaryName(oldName)) << oldName;
        EXPECT_EQ(FolderOf(TemporaryNameOf("/pics/" + name, "_newGeotal")), "/pics");
    }
    const std::string cut = FileNameOf(TemporaryNameOf("/p/" + umlauts + ".jpeg", "_newGeotal"));
    EXPECT_EQ(cut.find('~') % 2, 0u) << "no letter split: " << cut;
    // Names that differ only past the cut still get temporary names of their own.
    EXPECT_NE(TemporaryNameOf("/p/" + longBase + "1.jpg", "_newGeotal"),
              TemporaryNameOf("/p/" + longBase + "2.jpg", "_newGeotal"));
    const std::string longName = TemporaryNameOf("/p/" + longBase + ".jpg", "_newGeotal");
    EXPECT_EQ(longName.substr(longName.size() - 4), ".jpg");
}

}  // namespace
}  // namespace geotal
