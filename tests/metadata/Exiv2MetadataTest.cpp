#include "metadata/Exiv2Metadata.h"

#include <sys/stat.h>
#include <cmath>

#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/MetadataCheck.h"
#include "metadata/MetadataMerge.h"
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

TEST(Exiv2Metadata, givesNoExifHandleForFilesWithoutExifOrUnreadable) {
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
        for (bool flags : {false, true}) {
            ExifHandle exif;
            IptcHandle iptc;
            OpenMetadata(path, flags, flags, exif, iptc);
            EXPECT_FALSE(exif);
            EXPECT_FALSE(iptc);
        }
    }
}

TEST(Exiv2Metadata, readsNoValueForAbsentOrUnusableTags) {
    TempFolder folder;
    const std::string path =
        MakePhoto(folder / "a.jpg", {{"Exif.Image.DateTime", "2009:06:01 14:30:00"},
                                     {"Exif.GPSInfo.GPSLatitude", "47/1 30/1"},
                                     {"Exif.GPSInfo.GPSLongitude", "8/1 15/0 0/1"}});
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_TRUE(OpenMetadata(path, true, true, exif, iptc));
    ASSERT_TRUE(exif);
    EXPECT_EQ(ExifText(*exif, "Exif.Photo.DateTimeOriginal"), std::nullopt);
    EXPECT_EQ(ExifText(*exif, "Exif.GPSInfo.GPSLatitudeRef"), std::nullopt);
    EXPECT_EQ(ExifText(*exif, "Exif.Image.DateTime"), "2009:06:01 14:30:00");
    EXPECT_EQ(ExifRationals(*exif, "Exif.GPSInfo.GPSLatitude"), std::nullopt)
        << "two parts are not a position";
    EXPECT_EQ(ExifRationals(*exif, "Exif.GPSInfo.GPSLongitude"), std::nullopt)
        << "a zero denominator is unusable";
    exif.reset();
    iptc.reset();
}

TEST(Exiv2Metadata, setGpsChangeChangesOnlyTheHandleAndRefusesFieldsItCannotHold) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    const std::string before = ReadBytes(path);
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_TRUE(OpenMetadata(path, true, true, exif, iptc));

    std::string why;
    EXPECT_TRUE(SetGpsChange(
        *exif,
        {{{2, TiffType::Rational, {47, 1, 30, 1, 3625, 100}}, {1, TiffType::Ascii, {'S', 0}}}, {}},
        why))
        << why;
    EXPECT_EQ(ExifRationals(*exif, "Exif.GPSInfo.GPSLatitude"),
              (std::vector<double>{47, 30, 36.25}));
    EXPECT_EQ(ExifText(*exif, "Exif.GPSInfo.GPSLatitudeRef"), "S");
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(SetGpsChange(*exif, {{}, {1, 2}}, why)) << why;
    EXPECT_EQ(ExifText(*exif, "Exif.GPSInfo.GPSLatitudeRef"), std::nullopt);
    EXPECT_EQ(ExifRationals(*exif, "Exif.GPSInfo.GPSLatitude"), std::nullopt);

    const GpsChange refused[] = {
        {{{0, TiffType::Byte, {2, 2, 0, 256}}}, {}},     // a byte past 255
        {{{1, TiffType::Ascii, {'N'}}}, {}},             // text without its NUL
        {{{1, TiffType::Ascii, {'N', 0, 'S', 0}}}, {}},  // two texts
        {{{2, TiffType::Rational, {47, 1, 30}}}, {}},    // half a fraction
        {{{6, TiffType::Rational, {12, 0}}}, {}},        // a zero denominator
        {{{6, TiffType::Short, {12}}}, {}},              // a type no position uses
    };
    for (const GpsChange& change : refused) {
        why.clear();
        EXPECT_FALSE(SetGpsChange(*exif, change, why)) << change.fields.front().tag;
        EXPECT_FALSE(why.empty());
    }
}

TEST(MergeMetadata, writesANewFileWithThePermissionsAndLeavesTheSourceUntouched) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string before = ReadBytes(path);
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_TRUE(OpenMetadata(path, false, true, exif, iptc));
    const GpsChange altitude{{{6, TiffType::Rational, {25, 2}}}, {}};
    std::string error;
    ASSERT_TRUE(SetGpsChange(*exif, altitude, error)) << error;

    ASSERT_TRUE(MergeMetadata(path, folder / "b.jpg", exif.get(), iptc.get(), altitude,
                              MergeWay::OnlyWhatChanged, Flush::Now, error))
        << error;
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(TagText(folder / "b.jpg", "Exif.GPSInfo.GPSAltitude"), "25/2");
    EXPECT_EQ(TagText(folder / "b.jpg", "Exif.Photo.DateTimeOriginal"), "2010:01:01 12:00:00");
    struct stat status {};
    ASSERT_EQ(::stat((folder / "b.jpg").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(MergeMetadata, neverReplacesAnExistingDestinationNorLeavesAPartialOne) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    WriteBytes(folder / "taken.jpg", "someone's file");
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_TRUE(OpenMetadata(path, true, true, exif, iptc));
    const GpsChange none;
    const auto merge = [&](const std::string& source, const std::string& destination,
                           std::string& error) {
        return MergeMetadata(source, destination, exif.get(), nullptr, none,
                             MergeWay::OnlyWhatChanged, Flush::Now, error);
    };
    std::string error;
    EXPECT_FALSE(merge(path, folder / "taken.jpg", error));
    EXPECT_NE(error.find("taken.jpg"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(folder / "taken.jpg"), "someone's file");

    EXPECT_FALSE(merge(folder / "missing.jpg", folder / "c.jpg", error));
    EXPECT_FALSE(merge(path, folder / "no/such/dir.jpg", error));
    WriteBytes(folder / "junk.jpg", "junk");
    EXPECT_FALSE(merge(folder / "junk.jpg", folder / "d.jpg", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(Exists(folder / "c.jpg"));
    EXPECT_FALSE(Exists(folder / "d.jpg"));
}

TEST(CheckMetadata, findsAFileThatDoesNotHoldWhatWasMerged) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "a.jpg", {{"Exif.Image.Model", "one"}});
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_TRUE(OpenMetadata(photo, true, true, exif, iptc));
    const GpsChange south{{{1, TiffType::Ascii, {'S', 0}}}, {}};
    std::string error;
    ASSERT_TRUE(SetGpsChange(*exif, south, error)) << error;
    ASSERT_TRUE(MergeMetadata(photo, folder / "merged.jpg", exif.get(), iptc.get(), south,
                              MergeWay::OnlyWhatChanged, Flush::Now, error))
        << error;
    const std::string merged = ReadBytes(folder / "merged.jpg");
    WriteBytes(folder / "cut.jpg", merged.substr(0, merged.size() / 3));
    WriteBytes(folder / "other.jpg", "not a picture");

    struct Case {
        std::string path;
        bool result;
        const char* error;  // how the error text starts
    };
    const Case cases[] = {
        {folder / "merged.jpg", true, ""},
        {photo, false, "Exif.GPSInfo.GPSLatitudeRef is missing"},
        {folder / "cut.jpg", false, "cannot be read back: "},
        {folder / "other.jpg", false, "cannot be read back: "},
        {folder / "missing.jpg", false, "cannot be read back: "},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_EQ(CheckMetadata(c.path, *exif, south, error), c.result) << c.path;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.path << ": " << error;
    }
    const GpsChange north{{{1, TiffType::Ascii, {'N', 0}}}, {}};
    ASSERT_TRUE(SetGpsChange(*exif, north, error)) << error;
    EXPECT_FALSE(CheckMetadata(folder / "merged.jpg", *exif, north, error));
    EXPECT_EQ(error, "Exif.GPSInfo.GPSLatitudeRef changed");
}

// Every tag counts, not only the GPS ones: each file below is the merged one with one byte
// of one kind of metadata changed.
TEST(CheckMetadata, comparesEveryKindOfMetadataButTheXmpPositionsValue) {
    TempFolder folder;
    test::JpegShape shape;
    shape.exif.gps = true;
    shape.others = true;
    shape.xmp = test::XmpPacket(" exif:GPSLatitude=\"10,20.5N\"", "", 100);
    const std::string photo = folder.Write("a.jpg", test::MakeJpeg(shape));
    ExifHandle exif;
    IptcHandle iptc;
    ASSERT_TRUE(OpenMetadata(photo, true, true, exif, iptc));
    const GpsChange change{
        {{2, TiffType::Rational, {47, 1, 30, 1, 36, 1}}, {1, TiffType::Ascii, {'N', 0}}}, {}};
    std::string error;
    ASSERT_TRUE(SetGpsChange(*exif, change, error)) << error;
    ASSERT_TRUE(MergeMetadata(photo, folder / "merged.jpg", exif.get(), iptc.get(), change,
                              MergeWay::OnlyWhatChanged, Flush::Now, error))
        << error;
    const std::string merged = ReadBytes(folder / "merged.jpg");
    ASSERT_TRUE(CheckMetadata(folder / "merged.jpg", *exif, change, error)) << error;

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
        EXPECT_EQ(CheckMetadata(path, *exif, change, error), c.error[0] == '\0') << c.was;
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
}  // namespace geotal
