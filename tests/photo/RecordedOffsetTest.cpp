// The offset from UTC a photo records, as the folder reading hands it to the calculation.
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "metadata/ExifTool.h"
#include "metadata/PhotoFixture.h"
#include "photo/PhotoFolder.h"
#include "photo/PhotoMetadata.h"

namespace geotal {
namespace {

using test::MakePhoto;
using test::TempFolder;

TEST(RecordedOffset, isTheOriginalsOffsetElseTheChangeTimesAsTheFileHoldsIt) {
    const struct {
        const char* name;
        test::Tags tags;
        const char* offset;
    } cases[] = {
        {"both.jpg",
         {{"Exif.Photo.OffsetTimeOriginal", "+02:00"}, {"Exif.Photo.OffsetTime", "-05:00"}},
         "+02:00"},
        {"change_only.jpg", {{"Exif.Photo.OffsetTime", "-05:00"}}, "-05:00"},
        {"blank.jpg",
         {{"Exif.Photo.OffsetTimeOriginal", "   :  "}, {"Exif.Photo.OffsetTime", "+01:00"}},
         "+01:00"},
        // Kept when nothing better is there, so the photo's time says it was not used.
        {"both_blank.jpg",
         {{"Exif.Photo.OffsetTimeOriginal", "   :  "}, {"Exif.Photo.OffsetTime", "      "}},
         "   :  "},
        {"malformed.jpg", {{"Exif.Photo.OffsetTimeOriginal", "2:00"}}, "2:00"},
        {"zulu.jpg", {{"Exif.Photo.OffsetTimeOriginal", "Z"}}, "Z"},
        {"junk.jpg",
         {{"Exif.Photo.OffsetTimeOriginal", "junk!"}, {"Exif.Photo.OffsetTime", "-03:00"}},
         "-03:00"},
        {"none.jpg", {}, ""},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        test::Tags tags = c.tags;
        tags.push_back({"Exif.Photo.DateTimeOriginal", "2023:07:15 12:00:00"});
        MakePhoto(folder / c.name, tags);
    }
    PhotoList photos;
    NullProgress progress;
    ASSERT_TRUE(ReadPhotoFolder(folder.path(), photos, progress));
    ASSERT_EQ(photos.Count(), static_cast<int>(std::size(cases)));
    for (const auto& c : cases) {
        bool found = false;
        for (const PhotoRecord& photo : photos.records) {
            if (photo.fileName == c.name) {
                found = true;
                EXPECT_EQ(photo.recordedOffset, c.offset) << c.name;
            }
        }
        EXPECT_TRUE(found) << c.name;
    }
}

// Phone photos that carry their offset (HEIC, which the reader does not open): their date and
// offset tags carried by exiftool into a JPEG read back as exiftool reads them in the original.
TEST(RecordedOffset, readsTheOffsetsOfRealPhonePhotosAsExifToolDoes) {
    const std::filesystem::path source = GEOTAL_REAL_PHOTOS "/../raw/heic";
    if (!std::filesystem::is_directory(source) || !test::HasExifTool()) {
        GTEST_SKIP() << source << " or exiftool is not there";
    }
    TempFolder folder;
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(source)) {
        // OffsetTimeOriginal when there is one, else OffsetTime.
        std::string expected;
        const std::set<std::string> tags = test::ExifToolTags(entry.path().string());
        for (const char* tag : {"OffsetTime", "OffsetTimeOriginal"}) {
            for (const std::string& line : tags) {
                std::istringstream words(line);
                std::string group, name, colon, value;
                if (words >> group >> name >> colon >> value && group == "[ExifIFD]" &&
                    name == tag) {
                    expected = value;
                }
            }
        }
        if (expected.empty() || entry.path().filename().string().find('\'') != std::string::npos) {
            continue;
        }
        const std::string copy = folder / (entry.path().stem().string() + ".jpg");
        MakePhoto(copy, {{"Exif.Photo.DateTimeOriginal", "2000:01:01 00:00:00"}});
        const std::string command =
            "exiftool -q -q -m -overwrite_original -tagsFromFile '" + entry.path().string() +
            "' -DateTimeOriginal -OffsetTimeOriginal -OffsetTime '" + copy + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        PhotoFacts facts;
        ASSERT_TRUE(ReadPhotoFacts(copy, facts)) << copy;
        EXPECT_EQ(facts.recordedOffset, expected) << entry.path();
        ++compared;
    }
    EXPECT_GT(compared, 0);
}

}  // namespace
}  // namespace geotal
