// Photos that are not what their names promise: cut short, of another format, oddly named, or
// on a disk that fills up while they are written. None may crash the reading or the writing,
// and a photo that cannot be written stays exactly as it was.
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/PhotoFixture.h"
#include "output/Export.h"
#include "photo/PhotoBatch.h"
#include "photo/PhotoFolder.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoWriter.h"
#include "photo/SidecarWriter.h"
#include "photo/StoredPosition.h"

namespace geotal {
namespace {

using test::Exists;
using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

constexpr double kLat = 171036.0;
constexpr double kLon = 29700.0;

// The offsets where one JPEG segment ends and the next begins, up to the image data.
std::vector<std::size_t> SegmentBoundaries(const std::string& jpeg) {
    std::vector<std::size_t> boundaries{2};
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        const unsigned char marker = static_cast<unsigned char>(jpeg[at + 1]);
        const std::size_t length = (static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                                   static_cast<unsigned char>(jpeg[at + 3]);
        at += length + 2;
        boundaries.push_back(at);
        if (marker == 0xDA) {
            break;
        }
    }
    return boundaries;
}

// The folder holds only the photo, unless the write succeeded.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(HostilePhotos, aPhotoCutShortAtAnySegmentIsReadAndWrittenSafelyOrLeftAlone) {
    TempFolder folder;
    const std::string whole = ReadBytes(MakeDatedPhoto(folder / "whole.jpg"));
    std::vector<std::size_t> cuts = SegmentBoundaries(whole);
    cuts.push_back(whole.size() / 2);
    cuts.push_back(whole.size() - 1);
    PhotoWriter writer;
    for (std::size_t cut : cuts) {
        if (cut == 0 || cut >= whole.size()) {
            continue;
        }
        SCOPED_TRACE("cut at " + std::to_string(cut));
        TempFolder own;
        const std::string path = own.Write("cut.jpg", whole.substr(0, cut));
        double lon = 0, lat = 0, time = 0;
        test::ReadStoredPosition(path, lon, lat, time);  // answers either way, never crashes
        const WriteOutcome outcome = writer.PutFileLongLat(path, {kLat, kLon, 0, {}});
        if (outcome.result == WriteResult::Written) {
            ASSERT_TRUE(test::ReadStoredPosition(path, lon, lat, time));
            EXPECT_DOUBLE_EQ(lat, kLat);
        } else {
            EXPECT_EQ(ReadBytes(path), whole.substr(0, cut));
            EXPECT_FALSE(outcome.message.empty());
        }
        EXPECT_EQ(Names(own.path()), std::vector<std::string>{"cut.jpg"});
    }
}

TEST(HostilePhotos, anotherFormatOrTextUnderAJpegNameIsRefusedByName) {
    TempFolder folder;
    // The 8-byte PNG signature and an empty header chunk: a PNG as far as a reader can tell.
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0", 29);
    for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"image.jpg", png},
                                      {"notes.jpg", "just some text\n"},
                                      {"empty.jpg", ""}}) {
        const std::string path = folder.Write(name, bytes);
        double lon = 0, lat = 0, time = 0;
        EXPECT_FALSE(test::ReadStoredPosition(path, lon, lat, time)) << name;
        const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, 0, {}});
        EXPECT_EQ(outcome.result, WriteResult::Failed) << name;
        EXPECT_NE(outcome.message.find(path), std::string::npos) << outcome.message;
        EXPECT_EQ(ReadBytes(path), bytes) << name;
    }
}

TEST(HostilePhotos, oddFileNamesAreListedAndWrittenAsAnyOther) {
    TempFolder folder;
    const std::vector<std::string> names = {"line\nbreak.jpg", "quote\"d'.jpg", "-dash.jpg",
                                            "bad\xff\xfe utf8.jpg", " spaced .jpg"};
    for (const std::string& name : names) {
        MakeDatedPhoto(folder / name);
    }
    PhotoList photos;
    NullProgress progress;
    ASSERT_TRUE(ReadPhotoFolder(folder.path(), photos, progress));
    ASSERT_EQ(photos.Count(), static_cast<int>(names.size()));
    PhotoWriter writer;
    for (const PhotoRecord& photo : photos.records) {
        EXPECT_DOUBLE_EQ(photo.captureTime.value_or(0), 40179.5) << photo.fileName;
        const WriteOutcome outcome =
            writer.PutFileLongLat(folder / photo.fileName, {kLat, kLon, 0, {}});
        EXPECT_EQ(outcome.result, WriteResult::Written) << photo.fileName << outcome.message;
    }
}

// A 2 MB file system of its own, mounted for one test when the tests run as root.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0 ||
            ::mount("tmpfs", disk_.path().c_str(), "tmpfs", 0, "size=2m") != 0) {
            GTEST_SKIP() << "needs root to mount a small file system";
        }
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) {
            ::umount(disk_.path().c_str());
        }
    }
    // Fills the disk to the last byte.
    void Fill() {
        std::FILE* file = std::fopen((disk_ / "filler").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::string block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), file) == block.size() &&
               std::fflush(file) == 0) {
        }
        std::fclose(file);
    }
    std::string Large(const std::string& name) {
        // A photo with a big comment, so that its new copy cannot fit.
        const std::string path = MakeDatedPhoto(disk_ / name);
        std::string bytes = ReadBytes(path);
        const std::string filler(60000, 'c');
        std::string comment = "\xFF\xFE";
        comment += static_cast<char>((filler.size() + 2) >> 8);
        comment += static_cast<char>((filler.size() + 2) & 0xFF);
        bytes.insert(2, comment + filler);
        WriteBytes(path, bytes);
        return path;
    }

    TempFolder disk_;
    bool mounted_ = false;
};

TEST_F(FullDisk, aPhotoThatNoLongerFitsStaysAsItWasAndTheMessageSaysWhy) {
    const std::string path = Large("photo.jpg");
    const std::string before = ReadBytes(path);
    Fill();
    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, 0, {}});
    EXPECT_EQ(outcome.result, WriteResult::Failed);
    EXPECT_NE(outcome.message.find("No space left on device"), std::string::npos)
        << outcome.message;
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_FALSE(Exists(TemporaryNameOf(path, "_newGeotal")));
}

TEST_F(FullDisk, aBatchThatFillsTheDiskCommitsWhatIsReadyAndGoesOnInSmallerBatches) {
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i) {
        paths.push_back(Large("p" + std::to_string(i) + ".jpg"));
    }
    WriteBytes(disk_ / "room", std::string(100 * 1024, 'r'));
    Fill();
    ASSERT_EQ(::unlink((disk_ / "room").c_str()),
              0);  // about 100 KB free: one new photo and a half
    int written = 0;
    PhotoWriter writer;
    {
        PhotoBatch batch(writer, [&](std::size_t, const WriteOutcome& outcome) {
            EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
            written += outcome.result == WriteResult::Written;
        });
        for (std::size_t i = 0; i < paths.size(); ++i) {
            batch.Add(i, paths[i], {kLat, kLon, {}, {}});
        }
    }
    EXPECT_EQ(written, 12);
    for (const std::string& path : paths) {
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "N") << path;
    }
}

// With batches small enough for the disk to seem roomy, photos are prepared two at a time, and
// one's new file can take the room the other needed: that one is made again once the room is
// free, and the run writes every photo as one by one would.
TEST_F(FullDisk, photosPreparedTogetherThatFillTheDiskAreMadeAgainOneByOne) {
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i) {
        paths.push_back(Large("p" + std::to_string(i) + ".jpg"));
    }
    WriteBytes(disk_ / "room", std::string(100 * 1024, 'r'));
    Fill();
    ASSERT_EQ(::unlink((disk_ / "room").c_str()), 0);  // about 100 KB free
    BatchLimits limits;
    limits.bytes = 40 * 1024;  // "short of room" below 80 KB: two preparers at first
    int written = 0;
    PhotoWriter writer;
    {
        PhotoBatch batch(
            writer,
            [&](std::size_t, const WriteOutcome& outcome) {
                EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
                written += outcome.result == WriteResult::Written;
            },
            limits);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            batch.Add(i, paths[i], {kLat, kLon, {}, {}});
        }
    }
    EXPECT_EQ(written, 12);
    for (const std::string& path : paths) {
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "N") << path;
    }
    for (const std::string& name : test::FolderNames(disk_.path())) {
        EXPECT_FALSE(IsTemporaryName(name)) << name;
    }
}

TEST_F(FullDisk, aSidecarThatNoLongerFitsStaysAsItWasAndNoneIsLeftHalfWritten) {
    const std::string raw = MakeDatedPhoto(disk_ / "IMG_1.tif");
    const std::string other = MakeDatedPhoto(disk_ / "IMG_2.tif");
    const std::string sidecar = disk_ / "IMG_1.xmp";
    WriteBytes(sidecar, test::XmpPacket(" exif:GPSLatitude=\"1,0.0N\" exif:GPSLongitude=\"2,0.0E\"",
                                        "", 60000));
    const std::string before = ReadBytes(sidecar);
    Fill();
    for (const std::string& photo : {raw, other}) {  // an existing sidecar, then a new one
        const WriteOutcome outcome = WriteSidecarPosition(photo, {kLat, kLon, 0, {}});
        EXPECT_EQ(outcome.result, WriteResult::Failed) << photo;
        // Said once: "Cannot write the sidecar X: Cannot write X: ..." repeats itself.
        const std::string name = photo.substr(0, photo.size() - 4) + ".xmp";
        EXPECT_EQ(outcome.message, "Cannot write " + name + ": No space left on device");
    }
    EXPECT_EQ(ReadBytes(sidecar), before);
    EXPECT_EQ(test::FolderNames(disk_.path()),
              (std::vector<std::string>{"IMG_1.tif", "IMG_1.xmp", "IMG_2.tif", "filler"}));
}

TEST_F(FullDisk, anExportThatNoLongerFitsKeepsTheOldFile) {
    PhotoList photos;
    for (int i = 0; i < 20000; ++i) {
        PhotoRecord photo;
        photo.fileName = "IMG_" + std::to_string(i) + "_with_a_long_name_to_fill_the_disk.jpg";
        photo.position = GeoPosition{kLat, kLon, {}, {}};
        photo.marked = true;
        photos.records.push_back(photo);
    }
    const std::string target = disk_ / "out.csv";
    WriteBytes(target, "the old export\n");
    Fill();
    const ExportOutcome outcome = ExportPositions(target, ExportFormat::Csv, 0, photos);
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.error.find("No space left on device"), std::string::npos) << outcome.error;
    EXPECT_EQ(ReadBytes(target), "the old export\n");
}

}  // namespace
}  // namespace geotal
