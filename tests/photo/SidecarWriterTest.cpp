// Positions written to XMP sidecars: the photo's bytes never change, a sidecar's other properties
// stay, and one that cannot be parsed is left alone.
#include "photo/SidecarWriter.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "metadata/ExifTool.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/PhotoFixture.h"
#include "metadata/XmpValues.h"
#include "photo/MarkedRows.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoUpdate.h"

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

TEST(SidecarGpsEdit, givesXmpFormsThatNeverRoundToSixtyMinutes) {
    struct Case {
        GeoPosition position;
        std::map<std::string, std::string> set;
    };
    const Case cases[] = {
        {kPlace,
         {{"GPSLatitude", "33,51.9083333333S"},
          {"GPSLongitude", "151,12.5708333333E"},
          {"GPSAltitude", "25/2"},
          {"GPSAltitudeRef", "1"},
          {"GPSVersionID", "2.2.0.0"}}},
        // A millionth of a second of arc below a whole degree is the degree, not 60 minutes.
        {GeoPosition{3600 - 1e-9, -1, 100, {}},
         {{"GPSLatitude", "1,0.0N"},
          {"GPSLongitude", "0,0.0166666667W"},
          {"GPSAltitude", "100/1"},
          {"GPSAltitudeRef", "0"},
          {"GPSVersionID", "2.2.0.0"}}},
        {GeoPosition{90 * 3600.0, -180 * 3600.0, {}, {}},
         {{"GPSLatitude", "90,0.0N"}, {"GPSLongitude", "180,0.0W"}, {"GPSVersionID", "2.2.0.0"}}},
    };
    for (const Case& c : cases) {
        const XmpExifEdit edit = SidecarGpsEdit(c.position);
        EXPECT_EQ((std::map<std::string, std::string>(edit.set.begin(), edit.set.end())), c.set);
        if (!c.position.altitude) {
            EXPECT_NE(std::find(edit.removed.begin(), edit.removed.end(), "GPSAltitude"),
                      edit.removed.end());
        }
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
        EXPECT_TRUE(tags.count(test::TagLine("XMP-exif", "GPSLatitude", "-33.8651388888883")))
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
            EXPECT_EQ(OtherProperties(folder / c.sidecar),
                      (std::map<std::string, std::string>{{"Xmp.xmp.Rating", "4"}}));
        } else {
            EXPECT_EQ(outcome.result, WriteResult::Failed);
            EXPECT_EQ(outcome.message.rfind("Cannot write the sidecar " + (folder / c.sidecar), 0),
                      0u)
                << outcome.message;
            EXPECT_EQ(ReadBytes(folder / c.sidecar), c.content);
        }
    }
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
              (UpdateCounts{1, 1}))
        << "the JPEG in itself, the RAW pair's one shared sidecar once";
    EXPECT_TRUE(messages.empty()) << ::testing::PrintToString(messages);
    EXPECT_TRUE(test::MarkedRows(photos).empty());
    EXPECT_EQ(ReadBytes(folder / "IMG_1.CR2"), raw);
    EXPECT_EQ(test::FolderNames(folder.path()),
              (std::vector<std::string>{"IMG_1.CR2", "IMG_1.DNG", "IMG_1.JPG", "IMG_1.xmp"}));
    ExpectPosition(folder / "IMG_1.xmp", kPlace);
    EXPECT_NE(test::TagText(folder / "IMG_1.JPG", "Exif.GPSInfo.GPSLatitude"), "");
}

}  // namespace
}  // namespace geotal

namespace geotal {
namespace {

// A sidecar far larger than any real one (a toolkit's model takes up to thirty times a packet's
// size) is neither parsed for the list nor edited: each says so, and the file stays.
TEST(WriteSidecarPosition, leavesASidecarLargerThanAnyRealOneAndSaysSo) {
    TempFolder folder;
    MakeDatedPhoto(folder / "big.nef");
    const std::string packet =
        "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
        "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'/>"
        "</x:xmpmeta>" +
        std::string(9 << 20, ' ');
    WriteBytes(folder / "big.xmp", packet);
    const WriteOutcome outcome = WriteSidecarPosition(folder / "big.nef", kPlace);
    EXPECT_EQ(outcome.result, WriteResult::Failed);
    EXPECT_NE(outcome.message.find("it holds 9 MB, more than any XMP sidecar"), std::string::npos)
        << outcome.message;
    EXPECT_EQ(ReadBytes(folder / "big.xmp"), packet);
    PhotoFacts facts;
    ReadPhotoFacts(folder / "big.nef", facts);
    EXPECT_NE(facts.note.find("The sidecar big.xmp was not read: it holds 9 MB"), std::string::npos)
        << facts.note;
}

}  // namespace
}  // namespace geotal
