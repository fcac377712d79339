// Which embedded preview a thumbnail is made from, and what the real files give.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "metadata/EmbeddedPreview.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;

TEST(PreviewOrder, putsTheSmallestBigEnoughFirstThenTheLargerOfTheRest) {
    using Order = std::vector<std::size_t>;
    EXPECT_EQ(PreviewOrder({}, 160), Order());
    // A RAW file's usual three, out of order: the full-size one, the EXIF thumbnail and a
    // small JPEG.
    const std::vector<PreviewSize> raw = {
        {5472, 3648, 3000000}, {160, 120, 9000}, {1620, 1080, 300000}};
    EXPECT_EQ(PreviewOrder(raw, 160), Order({1, 2, 0}));  // the longer side counts
    EXPECT_EQ(PreviewOrder(raw, 161), Order({2, 0, 1}));  // then the largest of those too small
    EXPECT_EQ(PreviewOrder(raw, 2000), Order({0, 2}));    // 160 is less than half of 2000
    EXPECT_EQ(PreviewOrder(raw, 9000), Order({0}));
    // A portrait preview's height is its longer side.
    EXPECT_EQ(PreviewOrder({{1080, 1620, 300000}, {120, 160, 9000}}, 150), Order({1, 0}));
    // Of two of a size, the one with fewer bytes to decode first.
    EXPECT_EQ(PreviewOrder({{640, 480, 90000}, {640, 480, 40000}}, 160), Order({1, 0}));
    // Specks (a stripped file's 8 by 8 stand-in) and previews without a size are never offered.
    EXPECT_EQ(PreviewOrder({{8, 8, 10785}, {0, 0, 5000}}, 160), Order());
    EXPECT_EQ(PreviewOrder({{8, 8, 332}, {128, 96, 37004}}, 160), Order({1}));
}

const fs::path kRaw = GEOTAL_REAL_RAW;

// Each RAW format's preview is a picture file of its own (a JPEG, or a TIFF for the
// uncompressed thumbnails of NEF and DNG files) of the size asked for, not the full-size one.
TEST(EmbeddedPreviewRealFiles, givesEachRawFileASmallPreview) {
    struct Case {
        const char* file;
        const char* type;
        int longerSide;
        int orientation;
    };
    const Case cases[] = {
        {"cr2/bep_sample.cr2", "image/jpeg", 160, 1},
        {"cr2/et_CanonRaw.cr2", "image/tiff", 384, 1},
        {"nef/bep_sample.nef", "image/tiff", 160, 1},
        {"arw/ft_fixture-sony-zv-e10.arw", "image/jpeg", 160, 6},
        {"dng/bep_sample.dng", "image/tiff", 128, 1},  // the only one, under 160
        {"cr3/ex2_Canon-R6-pruned.CR3", "image/jpeg", 160, 1},
        {"raf/et_FujiFilm.raf", "image/jpeg", 160, 1},
    };
    for (const Case& c : cases) {
        const fs::path path = kRaw / c.file;
        if (!fs::exists(path)) {
            GTEST_SKIP() << "no real files at " << kRaw;
        }
        SCOPED_TRACE(c.file);
        EmbeddedPreview preview;
        std::string why;
        ASSERT_TRUE(ReadEmbeddedPreview(path.string(), 160, 0, preview, why)) << why;
        EXPECT_EQ(preview.mimeType, c.type);
        ASSERT_GE(preview.bytes.size(), 4u);
        EXPECT_EQ(preview.bytes.substr(0, 2), preview.mimeType == "image/jpeg" ? "\xff\xd8" : "II");
        EXPECT_EQ(std::max(preview.width, preview.height), c.longerSide);
        EXPECT_EQ(preview.orientation, c.orientation);
    }
    // The next best after the first: the 1620 by 1080 JPEG of a CR3.
    EmbeddedPreview second;
    std::string why;
    ASSERT_TRUE(
        ReadEmbeddedPreview((kRaw / "cr3/ex2_Canon-R6-pruned.CR3").string(), 160, 1, second, why))
        << why;
    EXPECT_EQ(second.width, 1620);
    EXPECT_FALSE(
        ReadEmbeddedPreview((kRaw / "cr3/ex2_Canon-R6-pruned.CR3").string(), 160, 2, second, why));
    EXPECT_EQ(why, "it holds no usable preview image");
}

TEST(EmbeddedPreviewRealFiles, saysWhyAFileHasNone) {
    const fs::path png = kRaw / "png/bep_utf8-in-ztxt.png";
    if (!fs::exists(png)) {
        GTEST_SKIP() << "no real files at " << kRaw;
    }
    EmbeddedPreview preview;
    std::string why;
    EXPECT_FALSE(ReadEmbeddedPreview(png.string(), 160, 0, preview, why));
    EXPECT_EQ(why, "it holds no preview image");
    EXPECT_TRUE(preview.bytes.empty());
    why.clear();
    EXPECT_FALSE(ReadEmbeddedPreview((kRaw / "no-such-file.cr2").string(), 160, 0, preview, why));
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace geotal
