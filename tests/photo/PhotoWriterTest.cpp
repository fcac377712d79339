#include "photo/PhotoWriter.h"

#include <sys/stat.h>
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "metadata/ExifTool.h"
#include "metadata/PhotoFixture.h"
#include "photo/PhotoMetadata.h"
#include "photo/StoredPosition.h"
#include "support/DateTime.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

using test::ExifToolTags;
using test::Exists;
using test::MakeDatedPhoto;
using test::MakePhoto;
using test::ReadBytes;
using test::TagText;
using test::TempFolder;
using test::ValidationWarnings;
using test::WriteBytes;

constexpr double kLat = 171036.0;  // 47 30 36 N
constexpr double kLon = 29700.0;   // 8 15 0 E

TEST(SplitDms, truncatesIntoDegreesMinutesAndSeconds) {
    struct Case {
        double value;
        DmsParts parts;
    };
    const Case cases[] = {
        {171036.0, {47, 30, 36.0}}, {29700.0, {8, 15, 0.0}},  {7200.5, {2, 0, 0.5}},
        {0.0, {0, 0, 0.0}},         {324000.0, {90, 0, 0.0}}, {648000.0, {180, 0, 0.0}},
        {3599.75, {0, 59, 59.75}},
    };
    for (const Case& c : cases) {
        const DmsParts parts = SplitDms(c.value);
        EXPECT_EQ(parts.degrees, c.parts.degrees) << c.value;
        EXPECT_EQ(parts.minutes, c.parts.minutes) << c.value;
        EXPECT_DOUBLE_EQ(parts.seconds, c.parts.seconds) << c.value;
    }
}

TEST(SplitDms, neverRoundsUpJustBelowAWholeDegree) {
    for (double whole : {3600.0, 171000.0 + 600, 47 * 3600.0, 179 * 3600.0}) {
        const double value = std::nextafter(whole, 0.0);
        const DmsParts parts = SplitDms(value);
        EXPECT_EQ(parts.degrees, std::floor(whole / 3600 - 1e-9)) << value;
        EXPECT_LE(parts.minutes, 59) << value;
        EXPECT_GE(parts.seconds, 0) << value;
        EXPECT_LT(parts.seconds, 60) << value;
    }
}

TEST(CheckPositionRange, acceptsTheLimitsAndChecksTheWholeValueBeforeTheMinutes) {
    struct Case {
        double latitudeDegrees, longitudeDegrees;
        WriteCode code;
    };
    const Case cases[] = {
        {90, 180, WriteCode::None},
        {-90, -180, WriteCode::None},
        {47.51, 8.25, WriteCode::None},
        // Whole degrees within range, the value beyond it.
        {90.5, 8.25, WriteCode::DegreeRange},
        {47.51, 180.75, WriteCode::DegreeRange},
        {-90.0001, 8.25, WriteCode::DegreeRange},
        {47.51, -180.5, WriteCode::DegreeRange},
        {91, 8.25, WriteCode::DegreeRange},
        {std::nan(""), 8.25, WriteCode::DegreeRange},
        {47.51, INFINITY, WriteCode::DegreeRange},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckPositionRange(c.latitudeDegrees * 3600, c.longitudeDegrees * 3600), c.code)
            << c.latitudeDegrees << " " << c.longitudeDegrees;
    }
}

TEST(PutFileLongLat, writesTheExactGpsTagsAndReadsThemBack) {
    struct Case {
        double lat, lon, alt;
        const char *latText, *latRef, *lonText, *lonRef, *altText, *altRef;
    };
    const Case cases[] = {
        {kLat, kLon, 420, "47/1 30/1 36/1", "N", "8/1 15/1 0/1", "E", "420/1", "0"},
        {-kLat, -kLon, -12.5, "47/1 30/1 36/1", "S", "8/1 15/1 0/1", "W", "25/2", "1"},
        {7200.5, 0.25, 0, "2/1 0/1 1/2", "N", "0/1 0/1 1/4", "E", "0/1", "0"},
        {0, 0, 0, "0/1 0/1 0/1", "N", "0/1 0/1 0/1", "E", "0/1", "0"},
        {324000, -648000, 8848.86, "90/1 0/1 0/1", "N", "180/1 0/1 0/1", "W", "442443/50", "0"},
    };
    TempFolder folder;
    PhotoWriter writer;
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = MakeDatedPhoto(folder / ("p" + std::to_string(n++) + ".jpg"));
        const WriteOutcome outcome = writer.PutFileLongLat(path, {c.lat, c.lon, c.alt, {}});
        ASSERT_EQ(outcome.result, WriteResult::Written) << outcome.message;
        EXPECT_EQ(outcome.code, WriteCode::None);
        EXPECT_EQ(outcome.message, "");
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSVersionID"), "2 2 0 0");
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitude"), c.latText);
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), c.latRef);
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLongitude"), c.lonText);
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLongitudeRef"), c.lonRef);
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSAltitude"), c.altText);
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSAltitudeRef"), c.altRef);
        double lon = 1, lat = 1, time = 0;
        ASSERT_TRUE(test::ReadStoredPosition(path, lon, lat, time));
        EXPECT_DOUBLE_EQ(lat, c.lat);
        EXPECT_DOUBLE_EQ(lon, c.lon);
        EXPECT_DOUBLE_EQ(time, 40179.5);
        EXPECT_FALSE(Exists(TemporaryNameOf(path, "_newGeotal")));
        EXPECT_FALSE(Exists(TemporaryNameOf(path, "_oldGeotal")));
    }
}

TEST(PutFileLongLat, writesAPhotoWhoseNameLeavesNoRoomForTheMarker) {
    TempFolder folder;
    const std::string name = std::string(246, 'x') + ".jpg";  // 250 bytes, 5 below the limit
    const std::string path = MakeDatedPhoto(folder / name);
    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, 0, {}});
    EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(test::FolderNames(folder.path()), std::vector<std::string>{name});
}

TEST(PutFileLongLat, keepsThePermissionsAndTracesItsSteps) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.b.jpg");
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    EnableTrace(folder / "trace.txt");
    EXPECT_EQ(PhotoWriter().PutFileLongLat(path, {kLat, kLon, 0, {}}).result, WriteResult::Written);
    DisableTrace();
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    const std::string trace = ReadBytes(folder / "trace.txt");
    std::size_t at = 0;
    for (const char* step :
         {"Start PutFileLongLat", "  Update", "  Merge", "  Destroy", "End PutFileLongLat"}) {
        at = trace.find(std::string("-> ") + step + "\r\n", at);
        EXPECT_NE(at, std::string::npos) << step;
    }
}

TEST(PutFileLongLat, stopsTheRunOnADegreeRangeErrorAndWritesNothing) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    const std::string before = ReadBytes(path);
    PhotoWriter writer;
    for (const auto& [lat, lon] :
         {std::pair{kLat, 651600.0}, std::pair{-327600.0, kLon}, std::pair{std::nan(""), kLon},
          std::pair{90.5 * 3600, kLon}, std::pair{kLat, -180.75 * 3600}}) {
        const WriteOutcome outcome = writer.PutFileLongLat(path, {lat, lon, 0, {}});
        EXPECT_EQ(outcome.result, WriteResult::StopRun) << lat << " " << lon;
        EXPECT_EQ(outcome.code, WriteCode::DegreeRange);
        EXPECT_EQ(outcome.message,
                  "Internal Error: Degree range out of bounds. Please contact Tarsel Helpdesk");
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_FALSE(Exists(folder / "a_newGeotal.jpg"));
}

TEST(PutFileLongLat, givesAPhotoWithoutExifANewExifSegment) {
    TempFolder folder;
    const std::string path = MakePhoto(folder / "a.jpg");
    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, 0, {}});
    EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 36/1");
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLongitudeRef"), "E");
}

TEST(PutFileLongLat, copiesTheOriginalFirstEvenWhenTheWriteThenFails) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "IMG_0001.JPG");
    const std::string before = ReadBytes(path);
    ASSERT_EQ(::mkdir((folder / "backup").c_str(), 0755), 0);
    PhotoWriter writer;
    writer.SetCopyOptions(true, folder / "backup");
    EXPECT_EQ(writer.PutFileLongLat(path, {kLat, kLon, 0, {}}).result, WriteResult::Written);
    EXPECT_EQ(ReadBytes(folder / "backup/IMG_0001.JPG"), before);
    EXPECT_NE(ReadBytes(path), before);

    const std::string plain = folder / "plain.jpg";
    WriteBytes(plain, "not a JPEG file");
    EXPECT_EQ(writer.PutFileLongLat(plain, {kLat, kLon, 0, {}}).code, WriteCode::NoExif);
    EXPECT_EQ(ReadBytes(folder / "backup/plain.jpg"), ReadBytes(plain));

    writer.SetCopyOptions(false, folder / "backup");
    const std::string other = MakeDatedPhoto(folder / "other.jpg");
    EXPECT_EQ(writer.PutFileLongLat(other, {kLat, kLon, 0, {}}).result, WriteResult::Written);
    EXPECT_FALSE(Exists(folder / "backup/other.jpg"));
    EXPECT_EQ(test::FolderNames(folder / "backup"),
              (std::vector<std::string>{"IMG_0001.JPG", "plain.jpg"}));
}

TEST(PutFileLongLat, neverReplacesABackupAndWritesOnlyOverAnEarlierVersionOfThePhoto) {
    TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "backup").c_str(), 0755), 0);
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    const std::string original = ReadBytes(path);
    PhotoWriter writer;
    writer.SetCopyOptions(true, folder / "backup");
    ASSERT_EQ(writer.PutFileLongLat(path, {kLat, kLon, 0, {}}).result, WriteResult::Written);
    const std::string tagged = ReadBytes(path);

    // A second pass (a corrected time zone): the backup is the photo's original and stays.
    const WriteOutcome second = writer.PutFileLongLat(path, {-kLat, kLon, 0, {}});
    EXPECT_EQ(second.result, WriteResult::Written) << second.message;
    EXPECT_EQ(ReadBytes(folder / "backup/a.jpg"), original);
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "S");

    // Another photo of that name (another capture time, or another camera) is refused.
    for (const test::Tags& other :
         {test::Tags{{"Exif.Photo.DateTimeOriginal", "2011:05:05 10:00:00"}},
          test::Tags{{"Exif.Image.Model", "another camera"}}}) {
        const std::string card = MakeDatedPhoto(folder / "card.jpg");
        test::SetTags(card, other);
        WriteBytes(folder / "backup/b.jpg", ReadBytes(card));
        const std::string b = MakeDatedPhoto(folder / "b.jpg");
        const std::string bBefore = ReadBytes(b);
        const WriteOutcome refused = writer.PutFileLongLat(b, {-kLat, kLon, 0, {}});
        EXPECT_EQ(refused.code, WriteCode::BackupExists);
        EXPECT_EQ(refused.message, "Error copying file : " + b + " (" + folder / "backup/b.jpg" +
                                       " is already there and is another photo; a backup is "
                                       "never replaced)\n");
        EXPECT_EQ(ReadBytes(b), bBefore);
        EXPECT_EQ(ReadBytes(folder / "backup/b.jpg"), ReadBytes(card));
    }
    EXPECT_NE(ReadBytes(path), tagged);

    // A copy identical to the photo is a backup already.
    const std::string same = MakeDatedPhoto(folder / "same.jpg");
    WriteBytes(folder / "backup/same.jpg", ReadBytes(same));
    EXPECT_EQ(writer.PutFileLongLat(same, {kLat, kLon, 0, {}}).result, WriteResult::Written);
    EXPECT_EQ(TagText(same, "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(test::FolderNames(folder / "backup"),
              (std::vector<std::string>{"a.jpg", "b.jpg", "same.jpg"}));
}

TEST(PutFileLongLat, leavesThePhotoAloneWhenTheAskedForCopyFailsAndSaysWhy) {
    TempFolder folder;
    const std::string path = MakeDatedPhoto(folder / "a.jpg");
    const std::string before = ReadBytes(path);
    WriteBytes(folder / "file", "");
    const struct {
        std::string copyFolder;
        std::string reason;
    } cases[] = {
        {folder / "missing", "No such file or directory"},
        {folder / "file", "Not a directory"},
        {folder.path(), "Cannot copy " + path + " onto itself"},
    };
    for (const auto& c : cases) {
        PhotoWriter writer;
        writer.SetCopyOptions(true, c.copyFolder);
        const WriteOutcome outcome = writer.PutFileLongLat(path, {kLat, kLon, 0, {}});
        EXPECT_EQ(outcome.result, WriteResult::Failed) << c.copyFolder;
        EXPECT_EQ(outcome.code, WriteCode::CopyFailed);
        EXPECT_EQ(outcome.message.rfind("Error copying file : " + path + " (", 0), 0u)
            << outcome.message;
        EXPECT_NE(outcome.message.find(c.reason), std::string::npos) << outcome.message;
        EXPECT_EQ(ReadBytes(path), before);
    }
}

TEST(IsUsableCopyFolder, wantsAnExistingFolder) {
    TempFolder folder;
    WriteBytes(folder / "file", "");
    EXPECT_TRUE(IsUsableCopyFolder(folder.path()));
    EXPECT_FALSE(IsUsableCopyFolder(""));
    EXPECT_FALSE(IsUsableCopyFolder(folder / "missing"));
    EXPECT_FALSE(IsUsableCopyFolder(folder / "file"));
}

TEST(IsSameFolder, seesOneFolderUnderTwoSpellings) {
    TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "copies").c_str(), 0755), 0);
    EXPECT_TRUE(IsSameFolder(folder.path(), folder / "copies/.."));
    EXPECT_TRUE(IsSameFolder(folder / "copies", folder / "copies/"));
    EXPECT_FALSE(IsSameFolder(folder.path(), folder / "copies"));
    EXPECT_FALSE(IsSameFolder(folder / "missing", folder / "missing"));
}

// The JPEG without its APPn and comment segments: the image data and its tables.
std::string ImageData(const std::string& jpeg) {
    std::string kept = jpeg.substr(0, 2);
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        const unsigned char marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker == 0xDA) {
            return kept + jpeg.substr(at);
        }
        const std::size_t length = (static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                                   static_cast<unsigned char>(jpeg[at + 3]);
        if (!(marker >= 0xE0 && marker <= 0xEF) && marker != 0xFE) {
            kept += jpeg.substr(at, length + 2);
        }
        at += length + 2;
    }
    return "no scan found";
}

// The old fix's tags, which a new position takes out, besides the image direction it keeps.
const test::Tags kOldFix = {
    {"Exif.GPSInfo.GPSSatellites", "7"},         {"Exif.GPSInfo.GPSTimeStamp", "1/1 2/1 3/1"},
    {"Exif.GPSInfo.GPSDateStamp", "2001:02:03"}, {"Exif.GPSInfo.GPSSpeedRef", "K"},
    {"Exif.GPSInfo.GPSSpeed", "12/1"},           {"Exif.GPSInfo.GPSTrackRef", "T"},
    {"Exif.GPSInfo.GPSTrack", "45/1"},           {"Exif.GPSInfo.GPSDOP", "3/2"},
    {"Exif.GPSInfo.GPSMapDatum", "TOKYO"},       {"Exif.GPSInfo.GPSDestBearingRef", "T"},
    {"Exif.GPSInfo.GPSDestBearing", "10/1"},     {"Exif.GPSInfo.GPSImgDirectionRef", "M"},
    {"Exif.GPSInfo.GPSImgDirection", "90/1"},
};

TEST(PutFileLongLat, writesWhatExifToolReadsAndChangesNothingElse) {
    if (!test::HasExifTool()) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    TempFolder folder;
    const std::string path =
        MakeDatedPhoto(folder / "a.jpg", {{"Exif.Image.Make", "Camera Maker"},
                                          {"Exif.Image.Model", "Model 1"},
                                          {"Exif.Photo.ExposureTime", "1/250"},
                                          {"Exif.Image.DateTime", "2010:01:02 08:00:00"}});
    test::SetTags(path, kOldFix);
    const std::string before = ReadBytes(path);
    const std::set<std::string> tagsBefore = ExifToolTags(path);
    const std::set<std::string> warningsBefore = ValidationWarnings(path);
    const double fixTime = ToOleDate({2010, 1, 1, 11, 0, 5});
    ASSERT_EQ(PhotoWriter().PutFileLongLat(path, {-kLat, -(kLon + 0.5), -12.5, fixTime}).result,
              WriteResult::Written);
    const std::set<std::string> tagsAfter = ExifToolTags(path);
    // No new complaint about what we wrote, e.g. a reference tag without its NUL.
    for (const std::string& warning : ValidationWarnings(path)) {
        EXPECT_EQ(warningsBefore.count(warning), 1u) << "new warning: " << warning;
    }

    const std::set<std::string> expectedGps = {
        "[GPS]           GPSVersionID                    : 2 2 0 0",
        "[GPS]           GPSLatitudeRef                  : S",
        "[GPS]           GPSLatitude                     : 47.51",
        "[GPS]           GPSLongitudeRef                 : W",
        "[GPS]           GPSLongitude                    : 8.25013888888889",
        "[GPS]           GPSAltitudeRef                  : 1",
        "[GPS]           GPSAltitude                     : 12.5",
        "[GPS]           GPSTimeStamp                    : 11:00:05",
        "[GPS]           GPSDateStamp                    : 2010:01:01",
        "[GPS]           GPSImgDirectionRef              : M",
        "[GPS]           GPSImgDirection                 : 90",
    };
    const std::set<std::string> oldFix = {"GPSSatellites",     "GPSTimeStamp",  "GPSDateStamp",
                                          "GPSSpeedRef",       "GPSSpeed",      "GPSTrackRef",
                                          "GPSTrack",          "GPSDOP",        "GPSMapDatum",
                                          "GPSDestBearingRef", "GPSDestBearing"};
    std::set<std::string> added;
    for (const std::string& tag : tagsAfter) {
        if (tagsBefore.count(tag) == 0) {
            added.insert(tag);
        }
    }
    std::set<std::string> lost;
    for (const std::string& tag : tagsBefore) {
        if (tagsAfter.count(tag) == 0) {
            lost.insert(tag);
        }
    }
    // Only the sizes that grew with the new tags may differ, besides the GPS tags themselves.
    std::set<std::string> addedBesidesGps;
    for (const std::string& tag : added) {
        if (expectedGps.count(tag) == 0 && tag.rfind("[Composite]", 0) != 0) {
            addedBesidesGps.insert(tag);
        }
    }
    for (const std::string& tag : expectedGps) {
        EXPECT_EQ(tagsAfter.count(tag), 1u) << tag;
    }
    for (const std::string& tag : addedBesidesGps) {
        ADD_FAILURE() << "added " << tag;
    }
    for (const std::string& tag : lost) {
        const std::size_t name = tag.find_first_not_of(' ', tag.find(']') + 1);
        const bool fix = tag.rfind("[GPS]", 0) == 0 &&
                         oldFix.count(tag.substr(name, tag.find(' ', name) - name)) == 1;
        EXPECT_TRUE(fix || tag.rfind("[Composite]", 0) == 0) << "lost " << tag;
    }
    EXPECT_EQ(ImageData(ReadBytes(path)), ImageData(before));

    // A position without a fix time (typed or pasted) has no time stamps of its own.
    ASSERT_EQ(PhotoWriter().PutFileLongLat(path, {kLat, kLon, {}, {}}).result,
              WriteResult::Written);
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSTimeStamp"), "");
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSDateStamp"), "");
    // Nor has one whose fix time is 0, the moment an unset time gives, as its sidecar has none.
    ASSERT_EQ(PhotoWriter().PutFileLongLat(path, {-kLat, kLon, {}, fixTime}).result,
              WriteResult::Written);
    ASSERT_EQ(TagText(path, "Exif.GPSInfo.GPSDateStamp"), "2010:01:01");
    ASSERT_EQ(PhotoWriter().PutFileLongLat(path, {kLat, kLon, {}, 0.0}).result,
              WriteResult::Written);
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSTimeStamp"), "");
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSDateStamp"), "");
    EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSImgDirection"), "90/1");
}

}  // namespace
}  // namespace geotal
