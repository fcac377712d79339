#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/ExifTool.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/MetadataCheck.h"
#include "metadata/MetadataMerge.h"
#include "metadata/PhotoFixture.h"
#include "photo/DamagedPhotos.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoWriter.h"
#include "photo/StoredPosition.h"

namespace geotal {
namespace {

using test::FolderNames;
using test::IccDamage;
using test::MakeIccPhoto;
using test::ReadBytes;
using test::TempFolder;

bool ReadsBack(const std::string& path) {
    double longitude = 0;
    double latitude = 0;
    double time = 0;
    return test::ReadStoredPosition(path, longitude, latitude, time) && time == 40179.5;
}

const std::pair<IccDamage, int> kDamages[] = {{IccDamage::ShiftedHeader, 1},
                                              {IccDamage::LengthOneTooLong, 2},
                                              {IccDamage::ByteMissing, 2},
                                              {IccDamage::SecondChunkUnnamed, 2}};

// The segments after the EXIF one, where the profile is: untouched by a write.
std::string AfterExif(const std::string& jpeg) {
    const std::string exif = test::ExifSegment(jpeg);
    return jpeg.substr(jpeg.find(exif) + exif.size());
}

TEST(PutFileLongLat, writesPhotosWithADamagedColourProfileWithoutTouchingTheProfile) {
    for (const auto& [damage, chunks] : kDamages) {
        SCOPED_TRACE(static_cast<int>(damage));
        TempFolder folder;
        const std::string path = MakeIccPhoto(folder / "a.jpg", damage, chunks);
        const std::string before = ReadBytes(path);
        const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {171036.0, 29700.0, 0, {}});
        EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
        EXPECT_TRUE(ReadsBack(path));
        EXPECT_TRUE(AfterExif(ReadBytes(path)) == AfterExif(before));
    }
}

TEST(CheckMetadata, findsWhatTheLibrarysRewriteOfADamagedProfileLost) {
    for (const auto& [damage, chunks] : kDamages) {
        SCOPED_TRACE(static_cast<int>(damage));
        TempFolder folder;
        const std::string path = MakeIccPhoto(folder / "a.jpg", damage, chunks);
        ExifHandle exif;
        IptcHandle iptc;
        ASSERT_TRUE(OpenMetadata(path, true, true, exif, iptc));
        std::string error;
        ASSERT_TRUE(MergeMetadata(path, folder / "b.jpg", exif.get(), iptc.get(), {},
                                  MergeWay::Rewrite, Flush::Now, error))
            << error;
        EXPECT_FALSE(CheckMetadata(folder / "b.jpg", *exif, {}, error));
        EXPECT_FALSE(error.empty());
    }
}

// With no room for the edit, the library rewrites the photo, and the check then keeps the
// damage out.
TEST(PutFileLongLat, leavesAPhotoAsItWasWhenTheWrittenFileWouldNotReadBack) {
    for (const auto& [damage, chunks] : kDamages) {
        SCOPED_TRACE(static_cast<int>(damage));
        TempFolder folder;
        const std::string path = MakeIccPhoto(folder / "a.jpg", damage, chunks, true);
        ASSERT_TRUE(ReadsBack(path)) << "readable before the write";
        const std::string before = ReadBytes(path);

        const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {171036.0, 29700.0, 0, {}});
        EXPECT_EQ(outcome.result, WriteResult::Failed);
        EXPECT_EQ(outcome.code, WriteCode::CheckFailed);
        EXPECT_EQ(outcome.message.rfind("Error checking new file : " + path + " (", 0), 0u)
            << outcome.message;
        EXPECT_TRUE(ReadBytes(path) == before) << "the photo was changed";
        EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{"a.jpg"});
    }
}

TEST(PutFileLongLat, writesPhotosWithASoundColourProfile) {
    for (int chunks : {1, 2}) {
        TempFolder folder;
        const std::string path = MakeIccPhoto(folder / "a.jpg", IccDamage::None, chunks);
        const std::set<std::string> warnings = test::ValidationWarnings(path);
        const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {171036.0, 29700.0, 0, {}});
        EXPECT_EQ(outcome.result, WriteResult::Written) << chunks << ": " << outcome.message;
        EXPECT_TRUE(ReadsBack(path)) << chunks;
        EXPECT_EQ(test::ValidationWarnings(path), warnings) << chunks;
    }
}

// The library's rewrite of a full EXIF segment leaves out what does not fit; the check sees it.
TEST(PutFileLongLat, leavesAPhotoAsItWasWhenTheRewriteWouldLeaveATagOut) {
    TempFolder folder;
    const std::string path = MakeIccPhoto(folder / "a.jpg", IccDamage::None, 1, true);
    const std::string before = ReadBytes(path);
    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {171036.0, 29700.0, 0, {}});
    EXPECT_EQ(outcome.code, WriteCode::CheckFailed);
    EXPECT_NE(outcome.message.find("Exif.Photo.UserComment is missing"), std::string::npos)
        << outcome.message;
    EXPECT_TRUE(ReadBytes(path) == before);
}

}  // namespace
}  // namespace geotal
