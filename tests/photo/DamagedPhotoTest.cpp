#include <gtest/gtest.h>

#include "photo/DamagedPhotos.h"
#include "photo/ExifTool.h"
#include "photo/PhotoFixture.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoWriter.h"

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
    return ReadPhotoMetadata(path, longitude, latitude, time) && time == 40179.5;
}

TEST(PutFileLongLat, leavesAPhotoAsItWasWhenTheWrittenFileWouldNotReadBack) {
    const std::pair<IccDamage, int> cases[] = {{IccDamage::ShiftedHeader, 1},
                                               {IccDamage::LengthOneTooLong, 2},
                                               {IccDamage::ByteMissing, 2},
                                               {IccDamage::SecondChunkUnnamed, 2}};
    for (const auto& [damage, chunks] : cases) {
        SCOPED_TRACE(static_cast<int>(damage));
        TempFolder folder;
        const std::string path = MakeIccPhoto(folder / "a.jpg", damage, chunks);
        ASSERT_TRUE(ReadsBack(path)) << "readable before the write";
        const std::string before = ReadBytes(path);

        const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, 171036.0, 29700.0, 0);
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
        const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, 171036.0, 29700.0, 0);
        EXPECT_EQ(outcome.result, WriteResult::Written) << chunks << ": " << outcome.message;
        EXPECT_TRUE(ReadsBack(path)) << chunks;
        EXPECT_EQ(test::ValidationWarnings(path), warnings) << chunks;
    }
}

}  // namespace
}  // namespace geotal
