#include "photo/PhotoUpdate.h"

#include <set>

#include <gtest/gtest.h>

#include "photo/PhotoFixture.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::RecordingProgress;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

// A list view stand-in: the checked record indices.
struct FakeList {
    std::set<int> checked;
    std::vector<std::string> messages;

    UpdateCallbacks Callbacks() {
        return {[this](int i) { return checked.count(i) > 0; }, [this](int i) { checked.erase(i); },
                [this](const std::string& message) { messages.push_back(message); }};
    }
};

PhotoList MakePhotos(const TempFolder& folder, int count) {
    PhotoList photos;
    for (int i = 0; i < count; ++i) {
        PhotoRecord photo;
        photo.fileName = "p" + std::to_string(i) + ".jpg";
        MakeDatedPhoto(folder / photo.fileName);
        photo.latitude = 171036.0 + i;
        photo.longitude = 29700.0;
        photo.listItem = i;
        photos.records.push_back(photo);
    }
    return photos;
}

TEST(WriteMarkedPhotos, countsTheWrittenFilesAndUnchecksEveryAttemptedRow) {
    TempFolder folder;
    PhotoList photos = MakePhotos(folder, 4);
    WriteBytes(folder / "p1_oldGeotal.jpg", "leftover");
    FakeList list{{0, 1, 3}, {}};
    RecordingProgress progress;
    PhotoWriter writer;
    EnableTrace(folder / "trace.txt");
    EXPECT_EQ(WriteMarkedPhotos(folder.path() + "/", photos, writer, progress, list.Callbacks()),
              2);
    DisableTrace();

    EXPECT_TRUE(list.checked.empty());
    ASSERT_EQ(list.messages.size(), 1u);
    EXPECT_EQ(list.messages[0].rfind("Error Renaming old file : " + folder / "p1.jpg" + " (", 0),
              0u);
    EXPECT_EQ(TagText(folder / "p0.jpg", "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 36/1");
    EXPECT_EQ(TagText(folder / "p2.jpg", "Exif.GPSInfo.GPSLatitude"), "") << "not checked";
    EXPECT_EQ(TagText(folder / "p3.jpg", "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 39/1");
    EXPECT_EQ(progress.texts, std::vector<std::string>{"Updating image files..."});
    EXPECT_EQ(progress.maximums, std::vector<int>{4});
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(progress.ends, 1);
    EXPECT_EQ(progress.clears, 1);
    const std::string trace = ReadBytes(folder / "trace.txt");
    EXPECT_NE(trace.find("-> ****  WRITE TO PHOTO\r\n"), std::string::npos);
    EXPECT_NE(trace.find("-> Save to file = " + folder / "p3.jpg" + "\r\n"), std::string::npos);
}

TEST(WriteMarkedPhotos, neverWritesPhotosWithoutAPositionOrWithoutARow) {
    TempFolder folder;
    PhotoList photos = MakePhotos(folder, 3);
    photos[0].latitude = 0;
    photos[0].longitude = 0;
    photos[1].listItem = -1;
    photos[2].latitude = 0;  // on the equator: still a position
    const std::string before0 = ReadBytes(folder / "p0.jpg");
    const std::string before1 = ReadBytes(folder / "p1.jpg");
    FakeList list{{0, 1, 2}, {}};
    RecordingProgress progress;
    PhotoWriter writer;
    EXPECT_EQ(WriteMarkedPhotos(folder.path(), photos, writer, progress, list.Callbacks()), 1);
    EXPECT_EQ(ReadBytes(folder / "p0.jpg"), before0);
    EXPECT_EQ(ReadBytes(folder / "p1.jpg"), before1);
    EXPECT_EQ(list.checked, std::set<int>{1}) << "the row-less photo is left alone";
    EXPECT_EQ(TagText(folder / "p2.jpg", "Exif.GPSInfo.GPSLatitude"), "0/1 0/1 0/1");
    EXPECT_EQ(TagText(folder / "p2.jpg", "Exif.GPSInfo.GPSLongitude"), "8/1 15/1 0/1");
}

TEST(WriteMarkedPhotos, stopsAfterAnAbortOrARangeError) {
    TempFolder folder;
    PhotoList photos = MakePhotos(folder, 4);
    FakeList list{{0, 1, 2, 3}, {}};
    RecordingProgress aborting(1);
    PhotoWriter writer;
    EXPECT_EQ(WriteMarkedPhotos(folder.path(), photos, writer, aborting, list.Callbacks()), 2);
    EXPECT_EQ(aborting.positions, (std::vector<int>{0, 1}));
    EXPECT_EQ(list.checked, (std::set<int>{2, 3}));

    photos[2].longitude = 651600.0;
    RecordingProgress progress;
    EXPECT_EQ(WriteMarkedPhotos(folder.path(), photos, writer, progress, list.Callbacks()), 0);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(list.checked, std::set<int>{3});
    ASSERT_EQ(list.messages.size(), 1u);
    EXPECT_EQ(list.messages[0].rfind("Internal Error: Degree range", 0), 0u);
    EXPECT_EQ(TagText(folder / "p3.jpg", "Exif.GPSInfo.GPSLatitude"), "");
    EXPECT_EQ(progress.clears, 1);
}

}  // namespace
}  // namespace geotal
