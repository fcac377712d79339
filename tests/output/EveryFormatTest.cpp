// RAW and HEIC photos go through export, the map and copy and paste as JPEGs do, whether their
// position comes from their own tags or from their sidecar; a paste into one goes to its sidecar.
#include <gtest/gtest.h>

#include "geotag/CopyPaste.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/PhotoFixture.h"
#include "metadata/XmpValues.h"
#include "output/Export.h"
#include "output/MapAddress.h"
#include "photo/PhotoFolder.h"
#include "photo/PhotoUpdate.h"

namespace geotal {
namespace {

using test::ReadBytes;
using test::TempFolder;

const std::string kRaw = GEOTAL_REAL_RAW;

// a.dng and b.heic with a position in their own tags, c.cr2 with its position in c.xmp, and
// d.heic without a position.
struct Formats {
    TempFolder folder;
    Formats() {
        folder.Write("a.dng", ReadBytes(kRaw + "/dng/ex2_IMG_1361.dng"));
        folder.Write("b.heic", ReadBytes(kRaw + "/heic/ex2_Stonehenge.heic"));
        folder.Write("c.cr2", ReadBytes(kRaw + "/cr2/bep_sample.cr2"));
        folder.Write("c.xmp", ReadBytes(kRaw + "/xmp/mei_digikam-example.xmp"));
        folder.Write("d.heic", ReadBytes(kRaw + "/heic/ex2_IMG_3578.heic"));
    }
    PhotoList Read() const {
        PhotoList photos;
        NullProgress progress;
        EXPECT_TRUE(ReadPhotoFolder(folder.path(), photos, progress));
        return photos;
    }
};

TEST(EveryFormat, rawAndHeicPositionsAreExportedAndShownOnTheMap) {
    GEOTAL_SKIP_WITHOUT(kRaw);
    const Formats formats;
    PhotoList photos = formats.Read();
    ASSERT_EQ(photos.Count(), 4);
    for (int i : {0, 1, 2}) {
        ASSERT_TRUE(photos[i].HasPosition()) << photos[i].fileName;
    }
    EXPECT_FALSE(photos[3].HasPosition());
    EXPECT_EQ(photos[2].note, "Position from the sidecar c.xmp");
    for (PhotoRecord& photo : photos.records) {
        photo.marked = true;
    }

    EXPECT_EQ(ExportedCount(photos), 3);
    const std::string csv = CsvText(photos, 0);
    const std::string kml = KmlText(photos);
    for (const char* name : {"a.dng", "b.heic", "c.cr2"}) {
        EXPECT_NE(csv.find(name), std::string::npos) << name;
        EXPECT_NE(kml.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(csv.find("d.heic"), std::string::npos);
    EXPECT_NE(csv.find("53.13"), std::string::npos) << "c.cr2's latitude, from its sidecar";
    EXPECT_NE(kml.find("8.71"), std::string::npos) << "c.cr2's longitude, from its sidecar";
    EXPECT_NE(kml.find("-1.82"), std::string::npos) << "b.heic's longitude";

    const std::string map = MapAddress(MapService::MapQuest, *photos[2].position);
    EXPECT_NE(map.find("53.13"), std::string::npos) << map;
    EXPECT_NE(map.find("8.71"), std::string::npos) << map;
}

TEST(EveryFormat, aRawOrHeicIsACopySourceAndAPasteTargetWrittenToItsSidecar) {
    GEOTAL_SKIP_WITHOUT(kRaw);
    const Formats formats;
    PhotoList photos = formats.Read();
    ASSERT_EQ(photos.Count(), 4);
    for (PhotoRecord& photo : photos.records) {
        photo.marked = false;
    }
    // From the CR2's sidecar into the DNG, whose own tags hold another position; from the
    // HEIC's own tags into the CR2 and the HEIC without a position.
    const MaybePosition fromSidecar = CopiedFrom(photos[2]);
    const MaybePosition copied = CopiedFrom(photos[1]);
    ASSERT_TRUE(fromSidecar && copied);
    PastePosition(photos, {0}, *fromSidecar);
    PastePosition(photos, {2, 3}, *copied);

    std::vector<std::string> messages;
    NullProgress progress;
    PhotoWriter writer;
    EXPECT_EQ(WriteMarkedPhotos(photos, writer, progress,
                                {[&messages](const std::string& text) { messages.push_back(text); },
                                 nullptr, nullptr}),
              (UpdateCounts{0, 3}));
    EXPECT_EQ(messages, std::vector<std::string>{});
    EXPECT_EQ(ReadBytes(formats.folder / "a.dng"), ReadBytes(kRaw + "/dng/ex2_IMG_1361.dng"));
    EXPECT_EQ(ReadBytes(formats.folder / "d.heic"), ReadBytes(kRaw + "/heic/ex2_IMG_3578.heic"));
    EXPECT_EQ(test::FolderNames(formats.folder.path()),
              (std::vector<std::string>{"a.dng", "a.xmp", "b.heic", "c.cr2", "c.xmp", "d.heic",
                                        "d.xmp"}));

    const PhotoList again = formats.Read();
    for (int i : {2, 3}) {
        SCOPED_TRACE(again[i].fileName);
        ASSERT_TRUE(again[i].HasPosition());
        EXPECT_NEAR(again[i].position->latitude, copied->latitude, 0.01);
        EXPECT_NEAR(again[i].position->longitude, copied->longitude, 0.01);
    }
    // The DNG's own tags stay as they were; its sidecar holds what was pasted.
    TagTexts xmp;
    std::string error;
    ASSERT_TRUE(ReadXmpTexts(formats.folder / "a.xmp", xmp, error)) << error;
    const MaybePosition pasted = XmpPosition(xmp);
    ASSERT_TRUE(pasted);
    EXPECT_NEAR(pasted->latitude, fromSidecar->latitude, 0.01);
    EXPECT_NEAR(pasted->longitude, fromSidecar->longitude, 0.01);
}

}  // namespace
}  // namespace geotal
