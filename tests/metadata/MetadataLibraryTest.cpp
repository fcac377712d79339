#include "metadata/MetadataLibrary.h"

#include <sys/stat.h>
#include <cmath>

#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/PhotoFixture.h"

namespace geotal {
namespace {

using test::Exists;
using test::MakeDatedPhoto;
using test::MakePhoto;
using test::ReadBytes;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

TEST(MetadataLibrary, givesNoExifHandleForFilesWithoutExifOrUnreadable) {
    TempFolder folder;
    const std::string plain = MakePhoto(folder / "plain.jpg");
    const std::string text = folder / "notes.jpg";
    WriteBytes(text, "not a picture");
    const std::string truncated = folder / "cut.jpg";
    WriteBytes(truncated, ReadBytes(MakeDatedPhoto(folder / "whole.jpg")).substr(0, 40));

    ASSERT_EQ(::mkfifo((folder / "pipe.jpg").c_str(), 0644), 0);

    for (const std::string& path :
         {plain, text, truncated, folder / "missing.jpg", folder / "pipe.jpg", folder.path()}) {
        SCOPED_TRACE(path);
        for (int flags : {0, 1}) {
            ExifHandle exif;
            IptcHandle iptc;
            cGetImageFileMetadata(path, flags, flags, exif, iptc);
            EXPECT_FALSE(exif);
            EXPECT_FALSE(iptc);
        }
    }
}

TEST(MetadataLibrary, gettersFailForAbsentTagsAndLeaveTheirOutputs) {
    TempFolder folder;
    const std::string path =
        MakePhoto(folder / "a.jpg", {{"Exif.Image.DateTime", "2009:06:01 14:30:00"},
                                     {"Exif.GPSInfo.GPSLatitude", "47/1 30/1"},
                                     {"Exif.GPSInfo.GPSLongitude", "8/1 15/0 0/1"}});
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_NE(cGetImageFileMetadata(path, 1, 1, exif, iptc), 0);
    ASSERT_TRUE(exif);
    std::string text = "untouched";
    EXPECT_EQ(cEXIF_GetDateTimeOriginal(exif.get(), text), 0);
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(cEXIF_GetGPSLatitudeRef(exif.get(), text), 0);
    EXPECT_NE(cEXIF_GetDateTime(exif.get(), text), 0);
    EXPECT_EQ(text, "2009:06:01 14:30:00");
    double d = -1, m = -1, s = -1;
    EXPECT_EQ(cEXIF_GetGPSLatitude(exif.get(), d, m, s), 0) << "two parts are not a position";
    EXPECT_EQ(cEXIF_GetGPSLongitude(exif.get(), d, m, s), 0) << "a zero denominator is unusable";
    EXPECT_EQ(d, -1);
    EXPECT_EQ(cEXIF_GetDateTime(nullptr, text), 0);
    cDestroyEXIF(exif);
    cDestroyIPTC(iptc);
    EXPECT_FALSE(exif);
}

TEST(MetadataLibrary, settersChangeOnlyTheHandleAndRejectBadValues) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    const std::string before = ReadBytes(path);
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_NE(cGetImageFileMetadata(path, 1, 1, exif, iptc), 0);

    EXPECT_NE(cEXIF_PutGPSLatitude(exif.get(), 47, 30, 36.25), 0);
    EXPECT_NE(cEXIF_PutGPSLatitudeRef(exif.get(), "S"), 0);
    double d = 0, m = 0, s = 0;
    ASSERT_NE(cEXIF_GetGPSLatitude(exif.get(), d, m, s), 0);
    EXPECT_EQ(d, 47);
    EXPECT_EQ(m, 30);
    EXPECT_EQ(s, 36.25);
    EXPECT_EQ(ReadBytes(path), before);

    EXPECT_EQ(cEXIF_PutGPSVersion(exif.get(), "22x0"), 0);
    EXPECT_EQ(cEXIF_PutGPSVersion(exif.get(), "220"), 0);
    EXPECT_EQ(cEXIF_PutGPSLatitude(exif.get(), -1, 0, 0), 0);
    EXPECT_EQ(cEXIF_PutGPSLongitude(exif.get(), 8, 15, std::nan("")), 0);
    EXPECT_EQ(cEXIF_PutGPSLatitudeRef(exif.get(), "E"), 0);
    EXPECT_EQ(cEXIF_PutGPSLongitudeRef(exif.get(), "w"), 0);
    EXPECT_EQ(cEXIF_PutGPSAltitude(exif.get(), -3), 0);
    EXPECT_EQ(cEXIF_PutGPSAltitude(exif.get(), 1e12), 0);
    EXPECT_EQ(cEXIF_PutGPSAltitudeRef(exif.get(), 2), 0);
    EXPECT_EQ(cEXIF_PutGPSAltitude(nullptr, 3), 0);
}

TEST(MetadataLibrary, mergeWritesANewFileWithThePermissionsAndLeavesTheSourceUntouched) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string before = ReadBytes(path);
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_NE(cGetImageFileMetadata(path, 0, 1, exif, iptc), 0);
    ASSERT_NE(cEXIF_PutGPSAltitude(exif.get(), 12.5), 0);

    std::string error;
    ASSERT_NE(cMergeMetadata(path, folder / "b.jpg", exif.get(), iptc.get(), error), 0) << error;
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(TagText(folder / "b.jpg", "Exif.GPSInfo.GPSAltitude"), "25/2");
    EXPECT_EQ(TagText(folder / "b.jpg", "Exif.Photo.DateTimeOriginal"), "2010:01:01 12:00:00");
    struct stat status {};
    ASSERT_EQ(::stat((folder / "b.jpg").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(MetadataLibrary, mergeNeverReplacesAnExistingDestinationNorLeavesAPartialOne) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    WriteBytes(folder / "taken.jpg", "someone's file");
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_NE(cGetImageFileMetadata(path, 1, 1, exif, iptc), 0);
    std::string error;
    EXPECT_EQ(cMergeMetadata(path, folder / "taken.jpg", exif.get(), nullptr, error), 0);
    EXPECT_NE(error.find("taken.jpg"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(folder / "taken.jpg"), "someone's file");

    EXPECT_EQ(cMergeMetadata(folder / "missing.jpg", folder / "c.jpg", exif.get(), nullptr, error),
              0);
    EXPECT_EQ(cMergeMetadata(path, folder / "no/such/dir.jpg", exif.get(), nullptr, error), 0);
    WriteBytes(folder / "junk.jpg", "junk");
    EXPECT_EQ(cMergeMetadata(folder / "junk.jpg", folder / "d.jpg", exif.get(), nullptr, error), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(Exists(folder / "c.jpg"));
    EXPECT_FALSE(Exists(folder / "d.jpg"));
}

TEST(MetadataLibrary, checkFindsAFileThatDoesNotHoldWhatWasMerged) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "a.jpg", {{"Exif.Image.Model", "one"}});
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_EQ(cGetImageFileMetadata(photo, 1, 1, exif, iptc), 1);
    ASSERT_EQ(cEXIF_PutGPSLatitudeRef(exif.get(), "S"), 1);
    std::string error;
    ASSERT_EQ(cMergeMetadata(photo, folder / "merged.jpg", exif.get(), iptc.get(), error), 1);
    const std::string merged = ReadBytes(folder / "merged.jpg");
    WriteBytes(folder / "cut.jpg", merged.substr(0, merged.size() / 3));
    WriteBytes(folder / "other.jpg", "not a picture");

    struct Case {
        std::string path;
        int result;
        const char* error;  // how the error text starts
    };
    const Case cases[] = {
        {folder / "merged.jpg", 1, ""},
        {photo, 0, "Exif.GPSInfo.GPSLatitudeRef is missing"},
        {folder / "cut.jpg", 0, "cannot be read back: "},
        {folder / "other.jpg", 0, "cannot be read back: "},
        {folder / "missing.jpg", 0, "cannot be read back: "},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_EQ(cCheckMetadata(c.path, exif.get(), error), c.result) << c.path;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.path << ": " << error;
    }
    ASSERT_EQ(cEXIF_PutGPSLatitudeRef(exif.get(), "N"), 1);
    EXPECT_EQ(cCheckMetadata(folder / "merged.jpg", exif.get(), error), 0);
    EXPECT_EQ(error, "Exif.GPSInfo.GPSLatitudeRef changed");
}

// Every tag counts, not only the GPS ones: each file below is the merged one with one byte
// of one kind of metadata changed.
TEST(MetadataLibrary, checkComparesEveryKindOfMetadataButTheXmpPositionsValue) {
    TempFolder folder;
    test::JpegShape shape;
    shape.exif.gps = true;
    shape.others = true;
    shape.xmp = test::XmpPacket(" exif:GPSLatitude=\"10,20.5N\"", "", 100);
    const std::string photo = folder.Write("a.jpg", test::MakeJpeg(shape));
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_EQ(cGetImageFileMetadata(photo, 1, 1, exif, iptc), 1);
    ASSERT_EQ(cEXIF_PutGPSLatitude(exif.get(), 47, 30, 36), 1);
    ASSERT_EQ(cEXIF_PutGPSLatitudeRef(exif.get(), "N"), 1);
    std::string error;
    ASSERT_EQ(cMergeMetadata(photo, folder / "merged.jpg", exif.get(), iptc.get(), error), 1);
    const std::string merged = ReadBytes(folder / "merged.jpg");
    ASSERT_EQ(cCheckMetadata(folder / "merged.jpg", exif.get(), error), 1) << error;

    struct Case {
        const char *was, *is, *error;
    };
    const Case cases[] = {
        {"Model 1", "Model 2", "Exif.Image.Model changed"},
        {"A caption", "B caption", "Iptc.Application2.Caption changed"},
        {"xmp:Rating=\"3\"", "xmp:Rating=\"4\"", "Xmp.xmp.Rating changed"},
        {"A comment", "A remark!", "the JPEG comment changed"},
        {"acsp", "acsq", "the colour profile changed"},
        {"47,30.6N", "47,30.7N", ""},
    };
    for (const Case& c : cases) {
        std::string changed = merged;
        const std::size_t at = changed.find(c.was);
        ASSERT_NE(at, std::string::npos) << c.was;
        changed.replace(at, std::string(c.was).size(), c.is);
        const std::string path = folder.Write("changed.jpg", changed);
        error.clear();
        EXPECT_EQ(cCheckMetadata(path, exif.get(), error), c.error[0] == '\0' ? 1 : 0) << c.was;
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
}  // namespace geotal
