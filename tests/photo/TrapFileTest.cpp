// Files whose names lie about their content: a JPEG named as a RAW file, and an EXV file named
// as a sidecar. A RAW name keeps the file from being rewritten, whatever it holds; a sidecar
// name does not make a file a sidecar.
#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "photo/PhotoFolder.h"
#include "photo/PhotoUpdate.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

using test::ReadBytes;
using test::TempFolder;

const std::string kJpegNamedNef = std::string(GEOTAL_REAL_RAW) + "/nef/mei_Issue_247-1.nef";
const std::string kExvNamedXmp = std::string(GEOTAL_REAL_RAW) + "/xmp/ex2_exiv2-bug1108.xmp";

// a.nef with the EXV as its sidecar a.xmp; b.nef alone.
struct TrapFolder {
    TempFolder folder;
    TrapFolder() {
        folder.Write("a.nef", ReadBytes(kJpegNamedNef));
        folder.Write("a.xmp", ReadBytes(kExvNamedXmp));
        folder.Write("b.nef", ReadBytes(kJpegNamedNef));
    }
    PhotoList Read() const {
        PhotoList photos;
        NullProgress progress;
        EXPECT_TRUE(ReadPhotoFolder(folder.path(), photos, progress));
        return photos;
    }
};

TEST(TrapFiles, aJpegNamedAsRawIsReadByContentAndAnExvNamedAsSidecarIsNotTaken) {
    GEOTAL_SKIP_WITHOUT(GEOTAL_REAL_RAW);
    const TrapFolder trap;
    const PhotoList photos = trap.Read();
    ASSERT_EQ(photos.Count(), 2);
    for (const PhotoRecord& photo : photos.records) {
        SCOPED_TRACE(photo.fileName);
        EXPECT_EQ(photo.captureTime, ToOleDate({2010, 3, 1, 21, 50, 21}));
        EXPECT_FALSE(photo.HasPosition());
    }
    EXPECT_NE(photos[0].note.find("The sidecar a.xmp cannot be read as an XMP packet"),
              std::string::npos)
        << photos[0].note;
    EXPECT_EQ(photos[1].note.find("sidecar"), std::string::npos) << photos[1].note;
}

TEST(TrapFiles, aJpegNamedAsRawIsNeverRewrittenAndAnExvNamedAsSidecarNeverOverwritten) {
    GEOTAL_SKIP_WITHOUT(GEOTAL_REAL_RAW);
    const TrapFolder trap;
    PhotoList photos = trap.Read();
    ASSERT_EQ(photos.Count(), 2);
    const GeoPosition position{171036.0, -29700.0, {}, {}};
    for (PhotoRecord& photo : photos.records) {
        photo.position = position;
        photo.marked = true;
    }
    std::vector<std::string> messages;
    NullProgress progress;
    PhotoWriter writer;
    const UpdateCounts written =
        WriteMarkedPhotos(photos, writer, progress,
                          {[&messages](const std::string& message) { messages.push_back(message); },
                           nullptr, nullptr});
    EXPECT_EQ(written.photos + written.sidecars, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(trap.folder / "a.xmp"), std::string::npos) << messages[0];
    EXPECT_TRUE(photos[0].marked) << "its position is still to be written";

    EXPECT_EQ(ReadBytes(trap.folder / "a.nef"), ReadBytes(kJpegNamedNef));
    EXPECT_EQ(ReadBytes(trap.folder / "b.nef"), ReadBytes(kJpegNamedNef));
    EXPECT_EQ(ReadBytes(trap.folder / "a.xmp"), ReadBytes(kExvNamedXmp));
    EXPECT_EQ(test::FolderNames(trap.folder.path()),
              (std::vector<std::string>{"a.nef", "a.xmp", "b.nef", "b.xmp"}));

    // The position went to b.nef's new sidecar, and is read from there.
    const PhotoList again = trap.Read();
    ASSERT_EQ(again.Count(), 2);
    EXPECT_FALSE(again[0].HasPosition());
    ASSERT_TRUE(again[1].HasPosition());
    EXPECT_NEAR(again[1].position->latitude, position.latitude, 0.01);
    EXPECT_NEAR(again[1].position->longitude, position.longitude, 0.01);
    EXPECT_EQ(again[1].note, "Position from the sidecar b.xmp");
}

}  // namespace
}  // namespace geotal
