// Positions written to XMP sidecars: the photo's bytes never change, a sidecar's other properties
// stay, and one that cannot be parsed is left alone.
#include "photo/SidecarWriter.h"

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "photo/ExifTool.h"
#include "photo/Exiv2Metadata.h"
#include "photo/PhotoFixture.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoUpdate.h"
#include "photo/XmpValues.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;
using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const GeoPosition kPlace{
    -(33 * 3600.0 + 51 * 60 + 54.5), 151 * 3600.0 + 12 * 60 + 34.25, -12.5, {}};

// The properties of a sidecar other than the GPS ones a write changes, by key.
std::map<std::string, std::string> OtherProperties(const std::string& path) {
    TagTexts xmp;
    std::string error;
    EXPECT_TRUE(ParseXmpPacket(ReadBytes(path), xmp, error)) << path << ": " << error;
    std::map<std::string, std::string> others;
    for (const auto& [key, value] : xmp) {
        if (key.rfind("Xmp.exif.GPS", 0) != 0) {
            others[key] = value;
        }
    }
    return others;
}

void ExpectPosition(const std::string& sidecar, const GeoPosition& expected) {
    TagTexts xmp;
    std::string error;
    ASSERT_TRUE(ParseXmpPacket(ReadBytes(sidecar), xmp, error)) << error;
    const MaybePosition read = XmpPosition(xmp);
    ASSERT_TRUE(read) << sidecar;
    EXPECT_NEAR(read->latitude, expected.latitude, 0.001);
    EXPECT_NEAR(read->longitude, expected.longitude, 0.001);
}

TEST(SidecarGpsValues, givesXmpFormsThatNeverRoundToSixtyMinutes) {
    struct Case {
        GeoPosition position;
        const char* latitude;
        const char* longitude;
        const char* altitude;
        const char* altitudeRef;
    };
    const Case cases[] = {
        {kPlace, "33,51.90833333S", "151,12.57083333E", "12500/1000", "1"},
        {GeoPosition{3600 - 1e-9, -1, 100, {}}, "1,00.00000000N", "0,00.01666667W", "100000/1000",
         "0"},
        {GeoPosition{90 * 3600.0, -180 * 3600.0, {}, {}}, "90,00.00000000N", "180,00.00000000W", "",
         ""},
    };
    for (const Case& c : cases) {
        const XmpGpsValues values = SidecarGpsValues(c.position);
        EXPECT_EQ(values.latitude, c.latitude);
        EXPECT_EQ(values.longitude, c.longitude);
        EXPECT_EQ(values.altitude, c.altitude);
        EXPECT_EQ(values.altitudeRef, c.altitudeRef);
        EXPECT_EQ(values.version, "2.2.0.0");
    }
}

TEST(WriteSidecarPosition, makesAMinimalSidecarAndLeavesThePhotoAsItWas) {
    TempFolder folder;
    MakeDatedPhoto(folder / "shot.CR2");
    const std::string before = ReadBytes(folder / "shot.CR2");
    const WriteOutcome outcome = WriteSidecarPosition(folder / "shot.CR2", kPlace);
    ASSERT_EQ(outcome.result, WriteResult::Written) << outcome.message;
    EXPECT_EQ(ReadBytes(folder / "shot.CR2"), before);
    EXPECT_EQ(test::FolderNames(folder.path()), (std::vector<std::string>{"shot.CR2", "shot.xmp"}));
    ExpectPosition(folder / "shot.xmp", kPlace);
    PhotoFacts facts;
    ASSERT_TRUE(ReadPhotoFacts(folder / "shot.CR2", facts));
    ASSERT_TRUE(facts.position);
    EXPECT_NEAR(facts.position->latitude, kPlace.latitude, 0.001);
    if (test::HasExifTool()) {
        const std::set<std::string> tags = test::ExifToolTags(folder / "shot.xmp");
        EXPECT_TRUE(tags.count(test::TagLine("XMP-exif", "GPSLatitude", "-33.8651388888333")))
            << ::testing::PrintToString(tags);
        EXPECT_TRUE(tags.count(test::TagLine("XMP-exif", "GPSAltitudeRef", "1")))
            << ::testing::PrintToString(tags);
        EXPECT_TRUE(test::ValidationWarnings(folder / "shot.xmp").empty())
            << ::testing::PrintToString(test::ValidationWarnings(folder / "shot.xmp"));
    }
}

TEST(WriteSidecarPosition, updatesTheSidecarOfEitherNameAndRefusesOneItCannotParse) {
    struct Case {
        const char* sidecar;
        const char* content;
        bool written;
    };
    const std::string packet =
        "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>\n<x:xmpmeta xmlns:x='adobe:ns:meta/'>"
        "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n"
        "<rdf:Description rdf:about='' xmlns:xmp='http://ns.adobe.com/xap/1.0/' "
        "xmp:Rating='4'/>\n</rdf:RDF></x:xmpmeta>\n<?xpacket end='w'?>";
    const Case cases[] = {
        {"p.xmp", packet.c_str(), true},
        {"p.orf.xmp", packet.c_str(), true},
        {"p.xmp", "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF", false},
        {"p.xmp", "Exiv2\0binary", false},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        MakeDatedPhoto(folder / "p.orf");
        WriteBytes(folder / c.sidecar, c.content);
        const WriteOutcome outcome = WriteSidecarPosition(folder / "p.orf", kPlace);
        EXPECT_EQ(test::FolderNames(folder.path()), (std::vector<std::string>{"p.orf", c.sidecar}));
        if (c.written) {
            ASSERT_EQ(outcome.result, WriteResult::Written) << outcome.message;
            ExpectPosition(folder / c.sidecar, kPlace);
            const std::string after = ReadBytes(folder / c.sidecar);
            // The old packet's bytes all stay, the position's description added before its end.
            const std::size_t end = packet.rfind("</rdf:RDF>");
            EXPECT_EQ(after.substr(0, end), packet.substr(0, end));
            EXPECT_EQ(after.substr(after.size() - (packet.size() - end)), packet.substr(end));
        } else {
            EXPECT_EQ(outcome.result, WriteResult::Failed);
            EXPECT_EQ(outcome.message.rfind("Cannot write the sidecar " + (folder / c.sidecar), 0),
                      0u)
                << outcome.message;
            EXPECT_EQ(ReadBytes(folder / c.sidecar), c.content);
        }
    }
}

// Sidecars written by photo managers and raw developers keep every property but the position's.
TEST(WriteSidecarPosition, keepsEveryOtherPropertyOfRealSidecars) {
    const fs::path source = fs::path(GEOTAL_REAL_RAW) / "xmp";
    if (!fs::is_directory(source)) {
        GTEST_SKIP() << source << " is not there";
    }
    int written = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
        if (entry.path().extension() != ".xmp") {
            continue;
        }
        TempFolder folder;
        MakeDatedPhoto(folder / "photo.nef");
        const std::string sidecar = folder / "photo.xmp";
        const std::string original = ReadBytes(entry.path());
        WriteBytes(sidecar, original);
        TagTexts parsed;
        std::string error;
        const bool parses = ParseXmpPacket(original, parsed, error);
        const WriteOutcome outcome = WriteSidecarPosition(folder / "photo.nef", kPlace);
        if (!parses) {
            // The EXV file named .xmp among them: refused, untouched.
            EXPECT_EQ(outcome.result, WriteResult::Failed) << entry.path();
            EXPECT_EQ(ReadBytes(sidecar), original) << entry.path();
            continue;
        }
        if (outcome.result != WriteResult::Written) {
            ADD_FAILURE() << entry.path() << ": " << outcome.message;
            continue;
        }
        ++written;
        ExpectPosition(sidecar, kPlace);
        std::map<std::string, std::string> before;
        for (const auto& [key, value] : parsed) {
            if (key.rfind("Xmp.exif.GPS", 0) != 0) {
                before[key] = value;
            }
        }
        EXPECT_EQ(OtherProperties(sidecar), before) << entry.path();
        if (test::HasExifTool()) {
            const std::set<std::string> tags = test::ExifToolTags(sidecar);
            EXPECT_TRUE(tags.count(test::TagLine("XMP-exif", "GPSLongitude", "151.209513888833")))
                << entry.path() << ::testing::PrintToString(tags);
        }
    }
    EXPECT_GE(written, 10);
}

// A RAW file and a second non-JPEG of the same shot share NAME.xmp; the JPEG is written itself.
TEST(WriteMarkedPhotos, writesAPairsSharedSidecarOnceAndTheJpegInItsFile) {
    TempFolder folder;
    PhotoList photos;
    photos.folder = folder.path();
    for (const char* name : {"IMG_1.CR2", "IMG_1.DNG", "IMG_1.JPG"}) {
        MakeDatedPhoto(folder / name);
        PhotoRecord photo;
        photo.fileName = name;
        photo.position = kPlace;
        photo.marked = true;
        photos.records.push_back(photo);
    }
    const std::string raw = ReadBytes(folder / "IMG_1.CR2");
    PhotoWriter writer;
    test::RecordingProgress progress;
    std::vector<std::string> messages;
    EXPECT_EQ(WriteMarkedPhotos(photos, writer, progress,
                                {[&](const std::string& m) { messages.push_back(m); }, {}, {}}),
              3);
    EXPECT_TRUE(messages.empty()) << ::testing::PrintToString(messages);
    EXPECT_TRUE(photos.Marked().empty());
    EXPECT_EQ(ReadBytes(folder / "IMG_1.CR2"), raw);
    EXPECT_EQ(test::FolderNames(folder.path()),
              (std::vector<std::string>{"IMG_1.CR2", "IMG_1.DNG", "IMG_1.JPG", "IMG_1.xmp"}));
    ExpectPosition(folder / "IMG_1.xmp", kPlace);
    EXPECT_NE(test::TagText(folder / "IMG_1.JPG", "Exif.GPSInfo.GPSLatitude"), "");
}

}  // namespace
}  // namespace geotal
