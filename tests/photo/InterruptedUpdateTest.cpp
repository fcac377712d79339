#include <unistd.h>

#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "photo/PhotoWriter.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

using test::Exists;
using test::FolderNames;
using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

enum class Old { None, SecondName, MovedPhoto, OtherFile };

// What a killed update can leave beside IMG_0001.JPG, as the next update finds it.
struct Leftover {
    const char* what;
    bool photoThere;
    Old old;
    bool halfNewFile;
    WriteCode code;
    const char* traced;  // the repair's trace line, "" for none
};

TEST(PutFileLongLat, finishesOrUndoesWhatAnInterruptedUpdateLeft) {
    const Leftover cases[] = {
        {"killed after the link step", true, Old::SecondName, true, WriteCode::None,
         "  Removed second name = "},
        {"killed while writing the new file", true, Old::None, true, WriteCode::None,
         "  Removed unfinished = "},
        {"killed between two renames", false, Old::MovedPhoto, true, WriteCode::None,
         "  Renamed back = "},
        {"killed right after moving the photo aside", false, Old::MovedPhoto, false,
         WriteCode::None, "  Renamed back = "},
        {"old name held by another file", true, Old::OtherFile, false, WriteCode::RenameOldFailed,
         ""},
    };
    for (const Leftover& c : cases) {
        TempFolder folder;
        const std::string path = folder / "IMG_0001.JPG";
        const std::string oldName = folder / "IMG_0001_oldGeotal.JPG";
        const std::string original = ReadBytes(MakeDatedPhoto(path));
        if (c.halfNewFile) {
            WriteBytes(folder / "IMG_0001_newGeotal.JPG", original.substr(0, 100));
        }
        switch (c.old) {
            case Old::None:
                break;
            case Old::SecondName:
                ASSERT_EQ(::link(path.c_str(), oldName.c_str()), 0);
                break;
            case Old::MovedPhoto:
                ASSERT_EQ(::rename(path.c_str(), oldName.c_str()), 0);
                break;
            case Old::OtherFile:
                WriteBytes(oldName, "kept aside by hand");
                break;
        }
        ASSERT_EQ(Exists(path), c.photoThere) << c.what;

        EnableTrace(folder / "trace.txt");
        const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {171036.0, 29700.0, 0, {}});
        DisableTrace();
        const std::string trace = ReadBytes(folder / "trace.txt");
        ::unlink((folder / "trace.txt").c_str());
        EXPECT_EQ(outcome.code, c.code) << c.what << ": " << outcome.message;
        if (*c.traced != '\0') {
            EXPECT_NE(trace.find(std::string("-> ") + c.traced), std::string::npos)
                << c.what << ": " << trace;
        }
        if (c.code == WriteCode::None) {
            EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "N") << c.what;
            EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{"IMG_0001.JPG"})
                << c.what;
        } else {
            EXPECT_EQ(outcome.message, "Error Renaming old file : " + path + " (" + oldName +
                                           " is a file left by an interrupted update; move it "
                                           "away to update this photo)\n");
            EXPECT_EQ(ReadBytes(path), original);
            EXPECT_EQ(ReadBytes(oldName), "kept aside by hand");
            EXPECT_EQ(FolderNames(folder.path()),
                      (std::vector<std::string>{"IMG_0001.JPG", "IMG_0001_oldGeotal.JPG"}));
        }
    }
}

}  // namespace
}  // namespace geotal
