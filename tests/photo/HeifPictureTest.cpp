// HEIF and AVIF pictures through libheif, for the files the metadata library has no preview of.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "photo/HeifPicture.h"
#include "support/TempFolder.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;

TEST(IsHeifFileName, knowsTheExtensionsInAnyCase) {
    for (const char* name : {"a.heic", "B.HEIC", "c.heif", "d.HIF", "e.avif", "f.x.AVIF"}) {
        EXPECT_TRUE(IsHeifFileName(name)) << name;
    }
    for (const char* name : {"a.jpg", "heic", "a.heic.jpg", "a.hei", "", "a.avi"}) {
        EXPECT_FALSE(IsHeifFileName(name)) << name;
    }
}

const fs::path kRaw = GEOTAL_REAL_RAW;

// Whether the picture has colour at all: a decoder that fails quietly gives one flat value.
bool HasDetail(const RgbPicture& picture) {
    for (unsigned char value : picture.rgb) {
        if (value != picture.rgb.front()) {
            return true;
        }
    }
    return false;
}

TEST(HeifPictureRealFiles, decodesPhonesAndCamerasHeicAndAvif) {
    const char* const files[] = {"heic/ex2_IMG_3578.heic", "heic/mei_IMG_2927.HEIC",
                                 "heic/ex2_Canon.HIF", "avif/bep_sunrise.avif",
                                 "avif/lv_avif-orientation-6.avif"};
    for (const char* file : files) {
        const fs::path path = kRaw / file;
        if (!fs::exists(path)) {
            GTEST_SKIP() << "no real files at " << kRaw;
        }
        SCOPED_TRACE(file);
        RgbPicture picture;
        std::string why;
        ASSERT_TRUE(DecodeHeifPicture(path.string(), 128, picture, why)) << why;
        ASSERT_GT(picture.width, 0);
        ASSERT_GT(picture.height, 0);
        EXPECT_EQ(picture.rgb.size(), static_cast<std::size_t>(picture.width) * picture.height * 3);
        EXPECT_TRUE(HasDetail(picture));
    }
}

TEST(HeifPictureRealFiles, saysWhyItCannotDecode) {
    const fs::path jpeg = kRaw / "jpg-with-track/vk_Stonehenge.jpg";
    if (!fs::exists(jpeg)) {
        GTEST_SKIP() << "no real files at " << kRaw;
    }
    RgbPicture picture;
    std::string why;
    EXPECT_FALSE(DecodeHeifPicture(jpeg.string(), 128, picture, why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(picture.rgb.empty());
}

// A file's few bytes can claim any size: a phone's photo whose image-size boxes claim 20,000
// pixels a side (within what libheif reads, beyond any camera) is refused before anything is
// decoded, and the reason says so.
TEST(HeifPictureRealFiles, refusesAnImageClaimingMorePixelsThanAnyCamera) {
    const fs::path real = kRaw / "heic/ex2_IMG_3578.heic";
    if (!fs::exists(real)) {
        GTEST_SKIP() << "no real files at " << kRaw;
    }
    std::ifstream in(real, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Each 'ispe' box: type, version and flags, then width and height as 32-bit big-endian.
    int patched = 0;
    for (std::size_t at = bytes.find("ispe"); at != std::string::npos;
         at = bytes.find("ispe", at + 4)) {
        for (std::size_t field : {at + 8, at + 12}) {
            const unsigned side = 20000;
            for (int i = 0; i < 4; ++i) {
                bytes[field + static_cast<std::size_t>(i)] =
                    static_cast<char>((side >> (24 - 8 * i)) & 0xFF);
            }
        }
        ++patched;
    }
    ASSERT_GT(patched, 0);
    const test::TempFolder folder;
    const std::string path = folder.Write("claims-too-much.heic", bytes);
    RgbPicture picture;
    std::string why;
    EXPECT_FALSE(DecodeHeifPicture(path, 128, picture, why));
    EXPECT_NE(why.find("20000 by 20000 pixels is too large"), std::string::npos) << why;
    EXPECT_TRUE(picture.rgb.empty());
}

}  // namespace
}  // namespace geotal
