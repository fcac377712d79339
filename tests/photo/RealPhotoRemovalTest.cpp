// Removing the positions of real photos, RAW files and sidecars (copies of the shared collection,
// where it is there): the position goes and every other tag stays, a RAW file is never changed.
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "metadata/ExifTool.h"
#include "metadata/PhotoFixture.h"
#include "metadata/SidecarGpsEdit.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoWriter.h"
#include "photo/PositionTarget.h"
#include "photo/SidecarWriter.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;
using test::GpsKeys;
using test::ReadBytes;
using test::TempFolder;
using test::WithoutGps;

bool HoldsExifPosition(const std::map<std::string, std::string>& tags) {
    return tags.count("Exif.GPSInfo.GPSLatitude") != 0 &&
           tags.count("Exif.GPSInfo.GPSLongitude") != 0;
}

TEST(RealPhotoRemoval, takesThePositionOutOfEveryRealJpegThatHasOneAndKeepsEveryOtherTag) {
    const fs::path source = GEOTAL_REAL_PHOTOS;
    GEOTAL_SKIP_WITHOUT(source);
    TempFolder folder;
    PhotoWriter writer;
    int removed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension != ".jpg" && extension != ".jpeg") {
            continue;
        }
        const auto before = test::AllTagTexts(entry.path());
        if (!HoldsExifPosition(before)) {
            continue;
        }
        const std::string copy = folder / entry.path().filename();
        fs::copy_file(entry.path(), copy);
        const WriteOutcome outcome = writer.PutFileLongLat(copy, std::nullopt);
        ASSERT_EQ(outcome.result, WriteResult::Written) << copy << ": " << outcome.message;
        const auto after = test::AllTagTexts(copy);
        for (const char* key :
             {"Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSAltitude",
              "Exif.GPSInfo.GPSTimeStamp", "Exif.GPSInfo.GPSDateStamp", "Xmp.exif.GPSLatitude"}) {
            EXPECT_EQ(after.count(key), 0u) << copy << " keeps " << key;
        }
        PhotoFacts facts;
        ReadPhotoFacts(copy, facts);
        EXPECT_FALSE(facts.position) << copy;
        EXPECT_EQ(WithoutGps(after), WithoutGps(before)) << copy;
        if (test::HasExifTool()) {
            // No new fault, such as a GPS directory left without the version EXIF requires.
            const std::set<std::string> added =
                test::Minus(test::ValidationWarnings(copy), test::ValidationWarnings(entry.path()));
            EXPECT_TRUE(added.empty()) << copy << ": " << *added.begin();
        }
        ++removed;
    }
    EXPECT_GE(removed, 10) << "the collection holds more photos with a position than that";
}

TEST(RealPhotoRemoval, takesPositionsOutOfRealSidecarsAndNeverChangesARawFile) {
    const fs::path raw = GEOTAL_REAL_RAW;
    GEOTAL_SKIP_WITHOUT(raw / "xmp");
    TempFolder folder;
    int removed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(raw / "xmp")) {
        if (entry.path().extension() != ".xmp") {
            continue;
        }
        const std::string packet = ReadBytes(entry.path());
        MaybePosition position;
        std::string why;
        if (!ReadSidecarPosition(packet, position, why) || !position) {
            continue;
        }
        const std::string copy = folder / entry.path().filename();
        fs::copy_file(entry.path(), copy);
        const WriteOutcome outcome = WriteSidecarFile(copy, std::nullopt);
        ASSERT_EQ(outcome.result, WriteResult::Written) << copy << ": " << outcome.message;
        const std::string written = ReadBytes(copy);
        ASSERT_TRUE(ReadSidecarPosition(written, position, why)) << copy << ": " << why;
        EXPECT_FALSE(position) << copy;
        EXPECT_TRUE(SamePropertiesBesideGps(packet, written)) << copy;
        ++removed;
    }
    EXPECT_GE(removed, 5);

    // RAW files whose own tags hold the position: nothing is removed, and it says so.
    PhotoWriter writer;
    std::map<std::size_t, WriteOutcome> outcomes;
    std::vector<std::string> photos;
    for (const fs::path name : {"dng/ex2_IMG_1361.dng", "xmp/pp_iphone_7.heic"}) {
        if (fs::exists(raw / name)) {
            photos.push_back(folder / name.filename());
            fs::copy_file(raw / name, photos.back());
        }
    }
    fs::copy_file(raw / "xmp/pp_iphone_7.xmp", folder / "pp_iphone_7.xmp",
                  fs::copy_options::overwrite_existing);
    const std::string sidecarBefore = ReadBytes(folder / "pp_iphone_7.xmp");
    std::map<std::string, std::string> bytes;
    for (const std::string& photo : photos) {
        bytes[photo] = ReadBytes(photo);
    }
    {
        PositionWriter positions(writer, {}, [&](std::size_t ticket, const WriteOutcome& done) {
            outcomes[ticket] = done;
        });
        for (std::size_t i = 0; i < photos.size(); ++i) {
            positions.Add(i, photos[i], std::nullopt);
        }
    }
    for (std::size_t i = 0; i < photos.size(); ++i) {
        EXPECT_EQ(outcomes[i].code, WriteCode::OwnFilePosition) << photos[i];
        EXPECT_EQ(ReadBytes(photos[i]), bytes[photos[i]]) << photos[i];
    }
    EXPECT_FALSE(fs::exists(folder / "ex2_IMG_1361.xmp")) << "no sidecar made";
    EXPECT_EQ(ReadBytes(folder / "pp_iphone_7.xmp"), sidecarBefore);
}

}  // namespace
}  // namespace geotal
