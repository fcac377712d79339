// CR3 previews found box by box, where the metadata library gives up on the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "metadata/BmffFixtures.h"
#include "metadata/Cr3Previews.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;
using test::BigEndian;
using test::Box;

const std::string kPreviewUuid("\xea\xf4\x2b\x5e\x1c\x98\x4b\x88\xb9\xfb\xb7\xdc\x40\x6e\x4d\x16",
                               16);
const std::string kJpeg = "\xff\xd8\xff\xdb fake JPEG data \xff\xd9";

std::string Thumbnail(int width, int height, const std::string& jpeg, std::size_t length) {
    return Box("THMB", std::string(4, '\0') + BigEndian(width, 2) + BigEndian(height, 2) +
                           BigEndian(length, 4) + std::string(4, '\0') + jpeg);
}

std::string Preview(int width, int height, const std::string& jpeg, std::size_t length) {
    return test::UuidBox(kPreviewUuid, std::string(8, '\0') +
                                           Box("PRVW", std::string(6, '\0') + BigEndian(width, 2) +
                                                           BigEndian(height, 2) + BigEndian(1, 2) +
                                                           BigEndian(length, 4) + jpeg));
}

std::vector<Cr3Preview> PreviewsOf(const std::string& file) {
    BytesSource source(file);
    return ReadCr3Previews(source);
}

TEST(ReadCr3Previews, findsTheThumbnailAndThePreviewWhereACanonCameraPutsThem) {
    const std::string file =
        test::Cr3(test::Cr3Blocks() + Thumbnail(160, 120, kJpeg, kJpeg.size())) +
        Preview(1620, 1080, kJpeg + "x", kJpeg.size() + 1);
    const std::vector<Cr3Preview> previews = PreviewsOf(file);
    ASSERT_EQ(previews.size(), 2u);
    EXPECT_EQ(previews[0].size.width, 160);
    EXPECT_EQ(previews[0].size.height, 120);
    EXPECT_EQ(previews[1].size.width, 1620);
    EXPECT_EQ(previews[1].size.height, 1080);
    EXPECT_EQ(file.substr(previews[0].jpeg.offset, previews[0].jpeg.length), kJpeg);
    EXPECT_EQ(file.substr(previews[1].jpeg.offset, previews[1].jpeg.length), kJpeg + "x");
}

TEST(ReadCr3Previews, leavesOutAPreviewThatIsNotWholeOrNotAJpeg) {
    // A length past the end of its box (a file cut short, or lying).
    EXPECT_TRUE(PreviewsOf(test::Cr3(Thumbnail(160, 120, kJpeg, kJpeg.size() + 1))).empty());
    EXPECT_TRUE(PreviewsOf(test::Cr3("") + Preview(1620, 1080, kJpeg, 1 << 20)).empty());
    // Bytes a pruned sample put in the JPEG's place.
    const std::string dummy = "<Dummy preview>";
    EXPECT_TRUE(PreviewsOf(test::Cr3(Thumbnail(160, 120, dummy, dummy.size()))).empty());
    // The one good preview stays when the other is broken.
    const std::vector<Cr3Preview> one = PreviewsOf(test::Cr3(Thumbnail(160, 120, kJpeg, 0)) +
                                                   Preview(1620, 1080, kJpeg, kJpeg.size()));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].size.width, 1620);
    // A THMB box outside Canon's box is not a CR3's thumbnail.
    EXPECT_TRUE(PreviewsOf(test::FileType("crx ", {"crx "}) +
                           Box("moov", Thumbnail(160, 120, kJpeg, kJpeg.size())))
                    .empty());
    EXPECT_TRUE(PreviewsOf("not an ISO media file at all").empty());
}

// A big-endian first directory: the camera's make, then the orientation as one SHORT.
std::string FirstDirectory(int orientation, int type = 3, int count = 1) {
    const auto entry = [](int tag, int type, int count, const std::string& value) {
        return BigEndian(tag, 2) + BigEndian(type, 2) + BigEndian(count, 4) + value;
    };
    return std::string("MM\0*", 4) + BigEndian(8, 4) + BigEndian(2, 2) +
           entry(0x010F, 2, 4, std::string("Cnn\0", 4)) +
           entry(0x0112, type, count, BigEndian(orientation, 2) + std::string(2, '\0')) +
           BigEndian(0, 4);
}

int OrientationOf(const std::string& file) {
    BytesSource source(file);
    return ReadCr3Orientation(source);
}

TEST(ReadCr3Orientation, readsTheFirstDirectorysOrientation) {
    EXPECT_EQ(OrientationOf(test::Cr3(Box("CMT1", FirstDirectory(6)))), 6);
    EXPECT_EQ(OrientationOf(test::Cr3(Box("CNCV", "CanonCR3") + Box("CMT1", FirstDirectory(8)))),
              8);
    // Upright when there is none, or none to trust.
    EXPECT_EQ(OrientationOf(test::Cr3(test::Cr3Blocks())), 1);  // a make, a model, no orientation
    // Two first directories: which one counts is anybody's guess.
    EXPECT_EQ(OrientationOf(test::Cr3(Box("CMT1", FirstDirectory(8)) + test::Cr3Blocks())), 1);
    EXPECT_EQ(OrientationOf(test::Cr3(Box("CMT1", FirstDirectory(9)))), 1);
    EXPECT_EQ(OrientationOf(test::Cr3(Box("CMT1", FirstDirectory(0)))), 1);
    EXPECT_EQ(OrientationOf(test::Cr3(Box("CMT1", FirstDirectory(6, 4)))), 1);     // a LONG
    EXPECT_EQ(OrientationOf(test::Cr3(Box("CMT1", FirstDirectory(6, 3, 2)))), 1);  // two
    EXPECT_EQ(OrientationOf(test::Cr3(Box("CMT1", FirstDirectory(6).substr(0, 30)))), 1);
    EXPECT_EQ(OrientationOf(test::Cr3(Box("CMT1", "II*\0\xff\xff\xff\xff"))), 1);
    EXPECT_EQ(OrientationOf("not an ISO media file at all"), 1);
}

const fs::path kRaw = GEOTAL_REAL_RAW;

// The metadata library reads neither of these; the boxes give their previews, the file cut
// short at 128 KiB only its thumbnail.
TEST(EmbeddedPreviewRealFiles, givesTheCr3PreviewsTheLibraryCannotRead) {
    const fs::path whole = kRaw / "cr3/ne_canon-r6.cr3";
    const fs::path cut = kRaw / "cr3/ft_fixture.cr3";
    if (!fs::exists(whole) || !fs::exists(cut)) {
        GTEST_SKIP() << "no real files at " << kRaw;
    }
    EmbeddedPreview preview;
    std::string why;
    ASSERT_TRUE(ReadEmbeddedPreview(whole.string(), 160, 0, preview, why)) << why;
    EXPECT_EQ(preview.width, 160);
    EXPECT_EQ(preview.bytes.substr(0, 2), "\xff\xd8");
    EXPECT_EQ(preview.bytes.substr(preview.bytes.size() - 2), "\xff\xd9");
    ASSERT_TRUE(ReadEmbeddedPreview(whole.string(), 160, 1, preview, why)) << why;
    EXPECT_EQ(preview.width, 1620);
    EXPECT_EQ(preview.height, 1080);

    ASSERT_TRUE(ReadEmbeddedPreview(cut.string(), 160, 0, preview, why)) << why;
    EXPECT_EQ(preview.width, 160);
    EXPECT_FALSE(ReadEmbeddedPreview(cut.string(), 160, 1, preview, why));
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace geotal
