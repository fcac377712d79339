// Writing a position changes the GPS data and nothing else, in photos laid out as cameras and
// other programs lay them out.
#include <optional>
#include <set>

#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/ExifTool.h"
#include "metadata/PhotoFixture.h"
#include "photo/PhotoWriter.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

using test::ExifSegment;
using test::ExifToolTags;
using test::JpegShape;
using test::MakeJpeg;
using test::ReadBytes;
using test::SegmentStartingWith;
using test::TempFolder;
using test::ValidationWarnings;
using test::XmpPacket;

constexpr double kLat = -171036.0;  // 47 30 36 S
constexpr double kLon = -29700.0;   // 8 15 0 W
const std::string kXmpSignature("http://ns.adobe.com/xap/1.0/\0", 29);

using test::TagLine;

// Writes the photo and checks that it reads back, by exiftool, with exactly the new position
// and, byte for byte, everything else it had; answers the new file.
std::string WriteAndCompare(const std::string& path, std::optional<double> altitude = -12.5) {
    const std::string before = ReadBytes(path);
    const std::set<std::string> tags = ExifToolTags(path);
    const std::set<std::string> warnings = ValidationWarnings(path);
    const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, altitude, {}});
    EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
    const std::string after = ReadBytes(path);
    EXPECT_EQ(test::DifferenceOutsideGps(before, after), "");
    const std::set<std::string> now = ExifToolTags(path);
    EXPECT_EQ(test::WithoutWrittenTags(now), test::WithoutWrittenTags(tags));
    for (const std::string& line :
         {TagLine("GPS", "GPSVersionID", "2 2 0 0"), TagLine("GPS", "GPSLatitudeRef", "S"),
          TagLine("GPS", "GPSLatitude", "47.51"), TagLine("GPS", "GPSLongitudeRef", "W"),
          TagLine("GPS", "GPSLongitude", "8.25")}) {
        EXPECT_EQ(now.count(line), 1u) << line;
    }
    if (altitude) {
        EXPECT_EQ(now.count(TagLine("GPS", "GPSAltitude", "12.5")), 1u);
        EXPECT_EQ(now.count(TagLine("GPS", "GPSAltitudeRef", "1")), 1u);
    }
    for (const std::string& warning : ValidationWarnings(path)) {
        EXPECT_EQ(warnings.count(warning), 1u) << "new warning: " << warning;
    }
    return after;
}

JpegShape Shape(bool bigEndian, bool gps, bool makerNote) {
    JpegShape shape;
    shape.exif.bigEndian = bigEndian;
    shape.exif.gps = gps;
    shape.exif.makerNote = makerNote;
    return shape;
}

TEST(PutFileLongLat, changesOnlyTheGpsDataOfPhotosLaidOutAsCamerasDo) {
    if (!test::HasExifTool()) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    struct Case {
        const char* name;
        JpegShape shape;
    };
    JpegShape everything = Shape(true, true, true);
    everything.xmp = XmpPacket("", "", 2000);
    everything.others = true;
    everything.afterImage = "trailer bytes a phone left after the image";
    JpegShape withoutGpsWithOthers = Shape(false, false, true);
    withoutGpsWithOthers.others = true;
    const Case cases[] = {
        {"little-endian, no GPS directory", Shape(false, false, false)},
        {"big-endian, no GPS directory", Shape(true, false, false)},
        {"little-endian, GPS directory", Shape(false, true, false)},
        {"big-endian, GPS directory", Shape(true, true, false)},
        {"maker note with a preview, thumbnail, no GPS", Shape(false, false, true)},
        {"maker note with a preview, thumbnail, GPS", Shape(false, true, true)},
        {"profile, IPTC, comment", withoutGpsWithOthers},
        {"all of it and XMP without a position", everything},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Write(std::string(c.name) + ".jpg", MakeJpeg(c.shape));
        const std::string before = ReadBytes(path);
        const std::string after = WriteAndCompare(path);
        EXPECT_EQ(SegmentStartingWith(after, kXmpSignature),
                  SegmentStartingWith(before, kXmpSignature));
    }
}

TEST(PutFileLongLat, replacesTheGpsDirectoryItWroteInsteadOfGrowingThePhoto) {
    TempFolder folder;
    const std::string path = folder.Write("a.jpg", MakeJpeg(Shape(true, true, true)));
    PhotoWriter writer;
    ASSERT_EQ(writer.PutFileLongLat(path, {kLat, kLon, 1, {}}).result, WriteResult::Written);
    const std::string first = ReadBytes(path);
    ASSERT_EQ(writer.PutFileLongLat(path, {-kLat, -kLon, 2, {}}).result, WriteResult::Written);
    const std::string second = ReadBytes(path);
    EXPECT_EQ(second.size(), first.size());
    EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSSatellites"), "");  // the old fix's
    EXPECT_EQ(test::ImageAndAfter(second), test::ImageAndAfter(first));
}

TEST(PutFileLongLat, keepsAnXmpPositionTheSameAsTheExifOneAndTheRestOfThePacketAsItWas) {
    if (!test::HasExifTool()) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    const std::string attributes =
        "\n    exif:GPSLatitude=\"10,20.5N\" exif:GPSLongitude=\"5,10.25E\""
        "\n    exif:GPSAltitude=\"1234/10\" exif:GPSAltitudeRef=\"0\"";
    const std::string elements =
        "   <exif:GPSLatitude>10,20.5N</exif:GPSLatitude>\n"
        "   <exif:GPSLongitude>5,10.25E</exif:GPSLongitude>\n"
        "   <exif:GPSVersionID>2.0.0.0</exif:GPSVersionID>\n";
    const std::string shortValues =
        "\n    exif:GPSLatitude=\"1,2N\" exif:GPSLongitude=\"5,10.25E\"";
    struct Case {
        const char* name;
        std::string packet;
        bool sameLength;
    };
    const Case cases[] = {
        {"attributes, padded", XmpPacket(attributes, "", 2000), true},
        {"elements, padded", XmpPacket("", elements, 100), true},
        {"attributes, no padding, new values shorter", XmpPacket(attributes, "", 0), true},
        {"attributes, no padding, new values longer", XmpPacket(shortValues, "", 0), false},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JpegShape shape = Shape(false, true, false);
        shape.xmp = c.packet;
        const std::string path = folder.Write("a.jpg", MakeJpeg(shape));
        const std::string after = WriteAndCompare(path);
        const std::set<std::string> tags = ExifToolTags(path);
        EXPECT_EQ(tags.count(TagLine("XMP-exif", "GPSLatitude", "-47.51")), 1u);
        EXPECT_EQ(tags.count(TagLine("XMP-exif", "GPSLongitude", "-8.25")), 1u);
        std::string packet = SegmentStartingWith(after, kXmpSignature).substr(4 + 29);
        EXPECT_EQ(packet.size() == c.packet.size(), c.sameLength) << packet.size();
        // Put the old values back: the packet must then be the old one, padding aside.
        for (const auto& [now, was] :
             {std::pair{"47,30.6S", c.sameLength ? "10,20.5N" : "1,2N"},
              std::pair{"8,15.0W", "5,10.25E"}, std::pair{"25/2", "1234/10"},
              std::pair{"GPSAltitudeRef=\"1\"", "GPSAltitudeRef=\"0\""},
              std::pair{"2.2.0.0", "2.0.0.0"}}) {
            for (std::size_t at; (at = packet.find(now)) != std::string::npos;) {
                packet.replace(at, std::string(now).size(), was);
            }
        }
        auto trimmed = [](std::string text) {
            const std::size_t trailer = text.rfind("<?xpacket end");
            const std::size_t content = text.find_last_not_of(" \n", trailer - 1);
            return text.substr(0, content + 1) + text.substr(trailer);
        };
        EXPECT_EQ(trimmed(packet), trimmed(c.packet));
    }
}

TEST(PutFileLongLat, takesThePhotosOldAltitudeOutWhenThePositionHasNone) {
    if (!test::HasExifTool()) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    const std::string xmp =
        XmpPacket("\n    exif:GPSLatitude=\"10,20.5N\" exif:GPSLongitude=\"5,10.25E\"",
                  "   <exif:GPSAltitude>1234/10</exif:GPSAltitude>\n"
                  "   <exif:GPSAltitudeRef>0</exif:GPSAltitudeRef>\n",
                  100);
    TempFolder folder;
    for (bool gps : {true, false}) {
        for (bool nearlyFull : {false, true}) {
            SCOPED_TRACE(std::string(gps ? "with an altitude" : "without a GPS directory") +
                         (nearlyFull ? ", written anew by the library" : ""));
            JpegShape shape = Shape(false, gps, true);
            shape.xmp = xmp;
            if (nearlyFull) {
                shape.exif.segmentSize = 65536 - 60;
            }
            const std::string path = folder.Write("a.jpg", MakeJpeg(shape));
            if (!nearlyFull) {
                WriteAndCompare(path, std::nullopt);
            } else {
                const WriteOutcome outcome =
                    PhotoWriter().PutFileLongLat(path, {kLat, kLon, {}, {}});
                ASSERT_EQ(outcome.result, WriteResult::Written) << outcome.message;
            }
            const std::set<std::string> after = ExifToolTags(path);
            for (const char* group : {"GPS", "XMP-exif", "Composite"}) {
                for (const char* tag : {"GPSAltitude", "GPSAltitudeRef"}) {
                    for (const std::string& line : after) {
                        EXPECT_NE(line.rfind(TagLine(group, tag, ""), 0), 0u) << line;
                    }
                }
            }
            EXPECT_EQ(after.count(TagLine("XMP-exif", "GPSLatitude", "-47.51")), 1u);
        }
    }
}

bool TracedRewrite(const TempFolder& folder) {
    return ReadBytes(folder / "trace.txt")
               .find("Every tag written anew: the EXIF segment would pass 64 KB") !=
           std::string::npos;
}

TEST(PutFileLongLat, fitsTheGpsDataIntoAnExifSegmentNear64KbAndOtherwiseLeavesItToTheLibrary) {
    TempFolder folder;
    struct Case {
        std::size_t segmentSize;
        bool rewritten;
    };
    for (const Case& c : {Case{65536 - 400, false}, Case{65536 - 60, true}}) {
        SCOPED_TRACE(c.segmentSize);
        JpegShape shape = Shape(false, false, true);
        shape.exif.segmentSize = c.segmentSize;
        shape.xmp = XmpPacket(" exif:GPSLatitude=\"10,20.5N\"", "", 100);
        const std::string path = folder.Write("a.jpg", MakeJpeg(shape));
        const std::string before = ReadBytes(path);
        ASSERT_EQ(ExifSegment(before).size(), c.segmentSize);
        EnableTrace(folder / "trace.txt");
        const WriteOutcome outcome = PhotoWriter().PutFileLongLat(path, {kLat, kLon, 0, {}});
        DisableTrace();
        EXPECT_EQ(TracedRewrite(folder), c.rewritten);
        EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
        if (!c.rewritten) {
            EXPECT_EQ(test::DifferenceOutsideGps(before, ReadBytes(path)), "");
        }
        // The library writes the packet's own text too, with the new position in it.
        std::string packet = SegmentStartingWith(ReadBytes(path), kXmpSignature).substr(4 + 29);
        const std::size_t at = packet.find("exif:GPSLatitude=\"47,30.6S\"");
        ASSERT_NE(at, std::string::npos) << packet;
        packet.replace(at + 18, 8, "10,20.5N");
        EXPECT_EQ(packet, shape.xmp);
        ::unlink((folder / "trace.txt").c_str());
    }
}

}  // namespace
}  // namespace geotal
