#include "photo/PhotoUpdate.h"

#include <set>

#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "photo/MarkedRows.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::RecordingProgress;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

// What the front end hears: the messages and the records that changed.
struct Heard {
    std::vector<std::string> messages;
    std::set<int> changed;

    UpdateCallbacks Callbacks() {
        return {[this](const std::string& message) { messages.push_back(message); },
                [this](int i) { changed.insert(i); }, nullptr};
    }
};

std::set<int> MarkedOf(const PhotoList& photos) {
    const std::vector<int> marked = test::MarkedRows(photos);
    return {marked.begin(), marked.end()};
}

void Mark(PhotoList& photos, const std::set<int>& marked) {
    for (int i = 0; i < photos.Count(); ++i) {
        photos[i].marked = marked.count(i) > 0;
    }
}

PhotoList MakePhotos(const TempFolder& folder, int count) {
    PhotoList photos;
    photos.folder = folder.path();
    for (int i = 0; i < count; ++i) {
        PhotoRecord photo;
        photo.fileName = "p" + std::to_string(i) + ".jpg";
        MakeDatedPhoto(folder / photo.fileName);
        photo.position = GeoPosition{171036.0 + i, 29700.0, {}, {}};
        photo.marked = true;
        photos.records.push_back(photo);
    }
    return photos;
}

// A failed write must not look written: its row stays checked, shows what the file holds and
// says why.
TEST(WriteMarkedPhotos, unchecksWhatItWroteAndKeepsAFailedPhotoCheckedWithItsFilesPosition) {
    TempFolder folder;
    PhotoList photos = MakePhotos(folder, 4);
    const GeoPosition held{3600, 3600, {}, {}};
    photos[1].stored = held;
    WriteBytes(folder / "p1_oldGeotal.jpg", "leftover");
    Mark(photos, {0, 1, 3});
    Heard heard;
    RecordingProgress progress;
    PhotoWriter writer;
    EnableTrace(folder / "trace.txt");
    EXPECT_EQ(WriteMarkedPhotos(photos, writer, progress, heard.Callbacks()), (UpdateCounts{2, 0}));
    DisableTrace();

    EXPECT_EQ(MarkedOf(photos), std::set<int>{1});
    EXPECT_EQ(photos[1].position, held);
    EXPECT_EQ(photos[1].note.rfind("Not written: Error Renaming old file : ", 0), 0u)
        << photos[1].note;
    EXPECT_EQ(photos[0].stored, photos[0].position) << "the file now holds it";
    EXPECT_FALSE(photos[0].IsUnwritten());
    EXPECT_EQ(heard.changed, (std::set<int>{0, 1, 3}));
    ASSERT_EQ(heard.messages.size(), 1u);
    EXPECT_EQ(heard.messages[0].rfind("Error Renaming old file : " + folder / "p1.jpg" + " (", 0),
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

TEST(WriteMarkedPhotos, neverWritesPhotosWithoutAPosition) {
    TempFolder folder;
    PhotoList photos = MakePhotos(folder, 3);
    photos[0].position.reset();
    photos[2].position->latitude = 0;  // on the equator: still a position
    const std::string before0 = ReadBytes(folder / "p0.jpg");
    RecordingProgress progress;
    PhotoWriter writer;
    photos[1].marked = false;
    EXPECT_EQ(WriteMarkedPhotos(photos, writer, progress, {}), (UpdateCounts{1, 0}));
    EXPECT_EQ(ReadBytes(folder / "p0.jpg"), before0);
    EXPECT_TRUE(MarkedOf(photos).empty()) << "nothing to write is nothing left to do";
    EXPECT_EQ(TagText(folder / "p1.jpg", "Exif.GPSInfo.GPSLatitude"), "") << "not checked";
    EXPECT_EQ(TagText(folder / "p2.jpg", "Exif.GPSInfo.GPSLatitude"), "0/1 0/1 0/1");
    EXPECT_EQ(TagText(folder / "p2.jpg", "Exif.GPSInfo.GPSLongitude"), "8/1 15/1 0/1");
}

TEST(WriteMarkedPhotos, stopsAfterAnAbortOrARangeError) {
    TempFolder folder;
    PhotoList photos = MakePhotos(folder, 4);
    Heard heard;
    RecordingProgress aborting(1);
    PhotoWriter writer;
    EXPECT_EQ(WriteMarkedPhotos(photos, writer, aborting, heard.Callbacks()), (UpdateCounts{2, 0}));
    EXPECT_EQ(aborting.positions, (std::vector<int>{0, 1}));
    EXPECT_EQ(MarkedOf(photos), (std::set<int>{2, 3}));

    photos[2].position->longitude = 651600.0;
    RecordingProgress progress;
    EXPECT_EQ(WriteMarkedPhotos(photos, writer, progress, heard.Callbacks()), (UpdateCounts{0, 0}));
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(MarkedOf(photos), (std::set<int>{2, 3})) << "the refused photo stays checked";
    EXPECT_FALSE(photos[2].position) << "its file holds none";
    ASSERT_EQ(heard.messages.size(), 1u);
    EXPECT_EQ(heard.messages[0].rfind("Internal Error: Degree range", 0), 0u);
    EXPECT_EQ(TagText(folder / "p3.jpg", "Exif.GPSInfo.GPSLatitude"), "");
    EXPECT_EQ(progress.clears, 1);
}

}  // namespace
}  // namespace geotal
