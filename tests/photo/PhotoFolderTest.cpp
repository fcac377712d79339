#include "photo/PhotoFolder.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::MakePhoto;
using test::ReadBytes;
using test::RecordingProgress;
using test::TempFolder;
using test::WriteBytes;

std::vector<std::string> Names(const PhotoList& photos) {
    std::vector<std::string> names;
    for (const PhotoRecord& photo : photos.records) {
        names.push_back(photo.fileName);
    }
    return names;
}

TEST(PhotoNameLess, sortsLikeAFileListIgnoringAsciiCaseThenBytewise) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"a.jpg", "B.jpg", true},           {"B.jpg", "a.jpg", false},
        {"IMG_2.jpg", "img_10.jpg", false}, {"A.jpg", "a.jpg", true},
        {"a.jpg", "A.jpg", false},          {"a.jpg", "a.jpg", false},
        {"a.jpg", "a.jpgx", true},          {"z.jpg", "\xc3\xa4.jpg", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PhotoNameLess(c.a, c.b), c.less) << c.a << " < " << c.b;
    }
}

TEST(ReadPhotoFolder, listsJpegFilesOfAnyCaseInNameOrderAndSkipsTheRest) {
    TempFolder folder;
    // The files of an interrupted update are ours, not photos.
    for (const char* name :
         {"b.JPG", "a.jpeg", "C.Jpeg", "-lead.jpg", "with space 'q'.jpg", "bad\xff.jpg",
          "notes.txt", "x.jpg.bak", "jpg", "b_newGeotal.JPG", "b_oldGeotal.JPG"}) {
        MakePhoto(folder / name);
    }
    ASSERT_EQ(::mkdir((folder / "dir.jpg").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo((folder / "pipe.jpg").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir((folder / "sub").c_str(), 0755), 0);
    MakePhoto(folder / "sub/inner.jpg");

    PhotoList photos;
    RecordingProgress progress;
    EXPECT_TRUE(ReadPhotoFolder(folder.path() + "//", photos, progress));
    EXPECT_EQ(Names(photos),
              (std::vector<std::string>{"-lead.jpg", "a.jpeg", "b.JPG", "bad\xff.jpg", "C.Jpeg",
                                        "with space 'q'.jpg"}));
    EXPECT_EQ(progress.texts, std::vector<std::string>{"Reading 6 image files..."});
    EXPECT_EQ(progress.maximums, std::vector<int>{5});
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(progress.pumps, 6);
    EXPECT_EQ(progress.ends, 1);
    EXPECT_EQ(progress.clears, 1);
    for (const PhotoRecord& photo : photos.records) {
        EXPECT_TRUE(photo.marked) << "no position: ready for calculation";
    }
}

TEST(IsPhotoFileName, takesEveryFormatTheLibraryReadsInAnyCaseButNotSidecars) {
    for (const char* name : {"a.jpg",  "a.JPEG", "a.CR2",  "a.cr3",  "a.crw", "a.NEF", "a.nrw",
                             "a.arw",  "a.sr2",  "a.srf",  "a.ORF",  "a.rw2", "a.RAF", "a.pef",
                             "a.DNG",  "a.srw",  "a.3FR",  "a.iiq",  "a.mrw", "a.GPR", "a.HEIC",
                             "a.heif", "a.HIF",  "a.avif", "a.webp", "a.png", "a.tif", "a.TIFF"}) {
        EXPECT_TRUE(IsPhotoFileName(name)) << name;
    }
    for (const char* name : {"a.xmp", "a.CR2.xmp", "a.exv", "a.txt", "a.tiffx", "cr2", "a.x3f"}) {
        EXPECT_FALSE(IsPhotoFileName(name)) << name;
    }
}

TEST(ReadPhotoFolder, listsAnUnreadablePhotoWithoutATimeAndSaysWhy) {
    TempFolder folder;
    WriteBytes(folder / "broken.cr2", "not a raw file at all");
    WriteBytes(folder / "broken.xmp", "<x:xmpmeta");
    PhotoList photos;
    RecordingProgress progress;
    ASSERT_TRUE(ReadPhotoFolder(folder.path(), photos, progress));
    ASSERT_EQ(Names(photos), std::vector<std::string>{"broken.cr2"});
    EXPECT_EQ(photos[0].captureTime, std::nullopt);
    EXPECT_FALSE(photos[0].HasPosition());
    EXPECT_NE(photos[0].note.find("cannot be read"), std::string::npos) << photos[0].note;
}

TEST(ReadPhotoFolder, readsAMissingOrEmptyFolderAsNoPhotos) {
    TempFolder folder;
    for (const std::string& path : {folder.path(), folder / "missing"}) {
        PhotoList photos;
        photos.records.resize(3);
        RecordingProgress progress;
        EXPECT_TRUE(ReadPhotoFolder(path, photos, progress));
        EXPECT_EQ(photos.Count(), 0);
        EXPECT_EQ(progress.texts, std::vector<std::string>{"Reading 0 image files..."});
        EXPECT_EQ(progress.maximums, std::vector<int>{-1});
    }
}

TEST(ReadPhotoFolder, storesTimesAndPositionsAndMarksPhotosWithoutAPosition) {
    TempFolder folder;
    MakeDatedPhoto(folder / "1.jpg", {{"Exif.GPSInfo.GPSLatitude", "47/1 30/1 36/1"},
                                      {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                      {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"},
                                      {"Exif.GPSInfo.GPSLongitudeRef", "W"}});
    MakeDatedPhoto(folder / "2.jpg", {{"Exif.GPSInfo.GPSLatitude", "0/1 0/1 0/1"},
                                      {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                      {"Exif.GPSInfo.GPSLongitude", "0/1 0/1 0/1"},
                                      {"Exif.GPSInfo.GPSLongitudeRef", "E"}});
    MakePhoto(folder / "3.jpg");
    WriteBytes(folder / "4.jpg", "broken");

    const std::string trace = folder / "trace.txt";
    EnableTrace(trace);
    PhotoList photos;
    RecordingProgress progress;
    EXPECT_TRUE(ReadPhotoFolder(folder.path(), photos, progress));
    DisableTrace();

    ASSERT_EQ(photos.Count(), 4);
    ASSERT_TRUE(photos[0].position);
    EXPECT_DOUBLE_EQ(photos[0].position->latitude, 171036.0);
    EXPECT_DOUBLE_EQ(photos[0].position->longitude, -29700.0);
    EXPECT_EQ(photos[0].stored, photos[0].position) << "what the file holds";
    EXPECT_FALSE(photos[1].position);
    EXPECT_DOUBLE_EQ(photos[0].captureTime.value_or(0), 40179.5);
    EXPECT_FALSE(photos[0].marked);
    EXPECT_TRUE(photos[1].marked) << "0/0 is no position";
    EXPECT_DOUBLE_EQ(photos[1].captureTime.value_or(0), 40179.5);
    EXPECT_TRUE(photos[2].marked);
    EXPECT_EQ(photos[2].captureTime, std::nullopt);
    EXPECT_TRUE(photos[3].marked);

    const std::string lines = ReadBytes(trace);
    EXPECT_NE(lines.find("-> Reading file = " + folder.path() + "/1.jpg\r\n"), std::string::npos);
    EXPECT_NE(lines.find("->   Time = 40179.500000 lat=171036.000000  long=-29700.000000\r\n"),
              std::string::npos)
        << lines;
}

TEST(ReadPhotoFolder, stopsAfterTheCurrentPhotoWhenAborted) {
    TempFolder folder;
    for (int i = 0; i < 10; ++i) {
        MakeDatedPhoto(folder / ("p" + std::to_string(i) + ".jpg"));
    }
    PhotoList photos;
    RecordingProgress progress(2);
    EXPECT_FALSE(ReadPhotoFolder(folder.path(), photos, progress));
    EXPECT_EQ(photos.Count(), 10);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(progress.clears, 1);
    EXPECT_DOUBLE_EQ(photos[2].captureTime.value_or(0), 40179.5);
    for (int i = 3; i < 10; ++i) {
        EXPECT_EQ(photos[i].captureTime, std::nullopt);
        EXPECT_FALSE(photos[i].position);
    }
}

}  // namespace
}  // namespace geotal
