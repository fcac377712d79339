// A JPEG without EXIF data gets a new EXIF segment holding the position, every other byte kept.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/ExifTool.h"
#include "metadata/JpegGpsEdit.h"
#include "metadata/PhotoFixture.h"
#include "photo/PhotoWriter.h"

namespace geotal {
namespace {

using test::ReadBytes;
using test::TagLine;
using test::TempFolder;

constexpr double kLat = -171036.0;  // 47 30 36 S
constexpr double kLon = 29700.0;    // 8 15 0 E
const std::string kTiny = std::string(GEOTAL_TEST_DATA) + "/tiny.jpg";
const std::string kRealWithoutExif = std::string(GEOTAL_REAL_PHOTOS) + "/ex2_exiv2-empty.jpg";

const GpsChange kChange = {{{0x0000, TiffType::Byte, {2, 2, 0, 0}},
                            {0x0001, TiffType::Ascii, {'S', 0}},
                            {0x0002, TiffType::Rational, {47, 1, 30, 1, 36, 1}}},
                           {0x0006}};

std::string Segment(unsigned char marker, const std::string& data) {
    const std::size_t length = data.size() + 2;
    return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                       static_cast<char>(length & 0xFF)} +
           data;
}

// The tiny photo (SOI, JFIF, then its tables and image) with head put after SOI in place of
// its JFIF segment, and middle after that.
std::string Jpeg(const std::string& head, const std::string& middle) {
    const std::string tiny = ReadBytes(kTiny);
    const std::size_t tables = 4 + 16;  // SOI and its JFIF segment
    return tiny.substr(0, 2) + head + middle + tiny.substr(tables);
}

const std::string kJfif = Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
const std::string kJfxx = Segment(0xE0, std::string("JFXX\0\x13", 6));
const std::string kOtherApp0 = Segment(0xE0, std::string("AVI1\0\0", 6));
const std::string kComment = Segment(0xFE, "a comment");

TEST(EditJpegGps, putsANewExifSegmentAfterTheJfifSegmentsAndKeepsEveryOtherByte) {
    struct Case {
        const char* name;
        std::string head;  // what stays before the new segment
        std::string rest;  // what follows it, before the tables
    };
    const Case cases[] = {
        {"nothing but SOI", "", ""},
        {"JFIF", kJfif, ""},
        {"JFIF and JFXX", kJfif + kJfxx, kComment},
        {"an APP0 that is not JFIF stays after it", "", kOtherApp0 + kJfif},
        {"a comment first", "", kComment + kJfif},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = Jpeg(c.head, c.rest);
        std::string edited;
        ASSERT_EQ(EditJpegGps(before, kChange, edited).result, GpsEditResult::Edited);
        const std::string segment = test::ExifSegment(edited);
        ASSERT_FALSE(segment.empty());
        EXPECT_EQ(edited.find(segment), 2 + c.head.size());
        EXPECT_EQ(
            edited.substr(0, 2 + c.head.size()) + edited.substr(2 + c.head.size() + segment.size()),
            before);
        const std::string path = folder.Write("a.jpg", edited);
        EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "S");
        EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 36/1");
        EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSVersionID"), "2 2 0 0");
    }
}

// Fill bytes right after the start (a fuzzer's find): readers disagree on where the first
// segment begins, so no new segment goes in, and the file is left as it is.
TEST(EditJpegGps, refusesANewSegmentWhereFillBytesFollowTheStart) {
    const std::string before = Jpeg("\xFF", kJfif);
    std::string edited;
    EXPECT_EQ(EditJpegGps(before, kChange, edited).result, GpsEditResult::Refused);
}

TEST(EditJpegGps, givesANewSegmentTheRequiredIfd0AndTheGpsDirectoryAndGrowsItNoMoreOnASecondWrite) {
    std::string first;
    ASSERT_EQ(EditJpegGps(ReadBytes(kTiny), kChange, first).result, GpsEditResult::Edited);
    const std::string segment = test::ExifSegment(first);
    // IFD0 holds what EXIF requires of a JPEG's (the resolution, its unit, the chroma siting)
    // and the GPS pointer; no empty directory is left behind the new one.
    const std::string entries[] = {
        std::string("\x1A\x01\5\0\1\0\0\0\x4A\0\0\0", 12),  // XResolution at 74
        std::string("\x1B\x01\5\0\1\0\0\0\x52\0\0\0", 12),  // YResolution at 82
        std::string("\x28\x01\3\0\1\0\0\0\2\0\0\0", 12),    // per inch
        std::string("\x13\x02\3\0\1\0\0\0\1\0\0\0", 12),    // centred
        std::string("\x25\x88\4\0\1\0\0\0\x5A\0\0\0", 12),  // the GPS directory at 90
    };
    EXPECT_EQ(segment.substr(4, 14), std::string("Exif\0\0II*\0\x08\0\0\0", 14));
    EXPECT_EQ(segment.substr(18, 2), std::string("\5\0", 2));
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        EXPECT_EQ(segment.substr(20 + 12 * i, 12), entries[i]) << i;
    }
    EXPECT_EQ(segment.substr(80, 4), std::string("\0\0\0\0", 4)) << "no IFD1";
    const JpegResolution jfif = NewExifResolution(ReadBytes(kTiny));
    const auto little = [](std::uint32_t value) {
        return std::string{static_cast<char>(value), static_cast<char>(value >> 8),
                           static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    };
    EXPECT_EQ(segment.substr(84, 16), little(jfif.x) + little(1) + little(jfif.y) + little(1));
    EXPECT_EQ(segment.substr(100, 2), std::string("\3\0", 2)) << "the GPS directory's count";

    std::string second;
    ASSERT_EQ(EditJpegGps(first, kChange, second).result, GpsEditResult::Edited);
    EXPECT_EQ(second, first);
}

TEST(EditJpegGps, putsTheNewSegmentBeforeAnXmpOnlyApp1AndMovesItsPosition) {
    const std::string xmp =
        Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) +
                          test::XmpPacket(" exif:GPSLatitude=\"10,20.5N\"", "", 100));
    const std::string before = Jpeg(kJfif, xmp);
    std::string edited;
    const GpsEditOutcome outcome = EditJpegGps(before, kChange, edited);
    ASSERT_EQ(outcome.result, GpsEditResult::Edited);
    EXPECT_EQ(outcome.xmp, XmpEditResult::Edited);
    EXPECT_EQ(edited.find(test::ExifSegment(edited)), 2 + kJfif.size());
    const std::string newXmp = test::SegmentStartingWith(edited, "http://ns.adobe.com/xap/1.0/");
    EXPECT_NE(newXmp.find("47,30.6S"), std::string::npos);
    EXPECT_EQ(newXmp.find("10,20.5N"), std::string::npos);
}

TEST(PutFileLongLat, givesARealJpegWithoutExifAPositionExifToolReads) {
    GEOTAL_SKIP_WITHOUT(kRealWithoutExif);
    if (!test::HasExifTool()) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    TempFolder folder;
    const std::string path = folder.Write("empty.jpg", ReadBytes(kRealWithoutExif));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(::mkdir((folder / "backup").c_str(), 0755), 0);
    const std::set<std::string> tagsBefore = test::ExifToolTags(path);
    PhotoWriter writer;
    writer.SetCopyOptions(true, folder / "backup");
    const WriteOutcome outcome = writer.PutFileLongLat(path, {kLat, kLon, 30.0, {}});
    ASSERT_EQ(outcome.result, WriteResult::Written) << outcome.message;

    const std::set<std::string> tags = test::ExifToolTags(path);
    for (const std::string& line :
         {TagLine("GPS", "GPSLatitudeRef", "S"), TagLine("GPS", "GPSLatitude", "47.51"),
          TagLine("GPS", "GPSLongitudeRef", "E"), TagLine("GPS", "GPSLongitude", "8.25"),
          TagLine("GPS", "GPSAltitude", "30")}) {
        EXPECT_EQ(tags.count(line), 1u) << line;
    }
    // What exiftool read before is all still there; only the new EXIF data's tags are added.
    EXPECT_EQ(test::Minus(test::WithoutWrittenTags(tagsBefore), tags), std::set<std::string>());
    EXPECT_EQ(ReadBytes(folder / "backup/empty.jpg"), ReadBytes(kRealWithoutExif));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(test::FolderNames(folder.path()), (std::vector<std::string>{"backup", "empty.jpg"}));
}

TEST(PutFileLongLat, addsToAnExifSegmentTheLibraryReadsNoTagFrom) {
    TempFolder folder;
    const std::string emptyIfd0 =
        Segment(0xE1, std::string("Exif\0\0II*\0\x08\0\0\0\0\0\0\0\0\0", 20));
    const std::string path = folder.Write("a.jpg", Jpeg(kJfif, emptyIfd0));
    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, {}, {}});
    ASSERT_EQ(outcome.result, WriteResult::Written) << outcome.message;
    EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 36/1");
    EXPECT_EQ(ReadBytes(path).find("Exif"), ReadBytes(path).rfind("Exif")) << "one EXIF segment";
}

TEST(PutFileLongLat, saysWritingAndLeavesAFileAloneThatIsNoJpegItCanWriteInto) {
    TempFolder folder;
    const std::string tiny = ReadBytes(kTiny);
    std::string brokenExif = test::MakeJpeg({});
    const std::size_t exif = brokenExif.find("Exif");
    brokenExif.replace(exif + 6, 2, "XX");  // no byte-order mark: exiv2 and the edit refuse it
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"text.jpg", "not a photo at all\n", "not a JPEG file"},
        {"png.jpg", "\x89PNG\r\n\x1A\n0000", "not a JPEG file"},
        {"cut-in-a-segment.jpg", tiny.substr(0, 30), "cut short"},
        {"only-jfif.jpg", tiny.substr(0, 20), "cut short"},
        {"cut-in-the-image.jpg", tiny.substr(0, tiny.size() - 10), "cut short"},
        {"broken.jpg", brokenExif, "EXIF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Write(c.name, c.bytes);
        const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, {}, {}});
        EXPECT_EQ(outcome.result, WriteResult::Failed);
        EXPECT_EQ(outcome.code, WriteCode::NoExif);
        EXPECT_EQ(outcome.message.rfind("Error writing file : " + path + " (", 0), 0u)
            << outcome.message;
        EXPECT_NE(outcome.message.find(c.reason), std::string::npos) << outcome.message;
        EXPECT_EQ(ReadBytes(path), c.bytes);
    }
    EXPECT_EQ(test::FolderNames(folder.path()).size(), std::size(cases));
}

}  // namespace
}  // namespace geotal

namespace geotal {
namespace {

// The resolution a new EXIF segment gives IFD0: the JFIF header's, in dots per inch or per
// centimetre, or 72 dpi where it gives only an aspect ratio or is not there.
TEST(NewExifResolution, takesTheJfifDensityAndItsUnit) {
    const auto jfif = [](char units, char xHigh, char xLow, char yHigh, char yLow) {
        const std::string data =
            std::string("JFIF\0\1\2", 7) + units + xHigh + xLow + yHigh + yLow + std::string(2, 0);
        return std::string("\xFF\xD8\xFF\xE0\0\x10", 6) + data + "\xFF\xD9";
    };
    struct Case {
        std::string jpeg;
        std::uint32_t x, y;
        std::uint16_t unit;
    };
    const Case cases[] = {
        {jfif(1, 1, 44, 1, 44), 300, 300, 2},
        {jfif(2, 0, 118, 0, 119), 118, 119, 3},
        {jfif(0, 0, 1, 0, 1), 72, 72, 2},
        {jfif(1, 0, 0, 0, 0), 72, 72, 2},
        {std::string("\xFF\xD8\xFF\xD9", 4), 72, 72, 2},
    };
    for (const Case& c : cases) {
        const JpegResolution resolution = NewExifResolution(c.jpeg);
        EXPECT_EQ(resolution.x, c.x);
        EXPECT_EQ(resolution.y, c.y);
        EXPECT_EQ(resolution.unit, c.unit);
    }
}

}  // namespace
}  // namespace geotal
