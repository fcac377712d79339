// Taking a position out, by the route a position's write takes: the EXIF GPS directory of a JPEG
// and a TIFF-based RAW file, the JPEG's XMP packet, a sidecar. Read back with exiv2, no GPS tag
// remains and every other tag is as it was.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/GpsFields.h"
#include "metadata/JpegGpsEdit.h"
#include "metadata/PhotoFixture.h"
#include "metadata/SidecarGpsEdit.h"
#include "metadata/TiffGpsEdit.h"
#include "metadata/XmpGpsEdit.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;
using test::GpsKeys;
using test::ReadBytes;
using test::TempFolder;
using test::WithoutGps;
using test::WriteBytes;

TEST(RemoveGps, takesTheExifAndXmpPositionOutOfAJpegAndKeepsEveryOtherTag) {
    TempFolder folder;
    for (const bool bigEndian : {false, true}) {
        test::JpegShape shape;
        shape.exif = {bigEndian, true, true, 0};
        shape.xmp = test::XmpPacket(
            "\n    exif:GPSLatitude=\"47,30.6N\" exif:GPSLongitude=\"8,15.0E\""
            " exif:GPSLatitudeRef=\"N\" exif:GPSVersionID=\"2.2.0.0\"",
            "   <exif:GPSAltitude>825/2</exif:GPSAltitude>\n", 200);
        shape.others = true;
        const std::string jpeg = test::MakeJpeg(shape);
        const std::string before = folder / "before.jpg";
        WriteBytes(before, jpeg);
        ASSERT_NE(GpsKeys(test::AllTagTexts(before)), "") << "the fixture holds a position";

        std::string edited;
        const GpsEditOutcome outcome = EditJpegGps(jpeg, GpsRemoval(), edited);
        ASSERT_EQ(outcome.result, GpsEditResult::Edited) << outcome.reason;
        EXPECT_EQ(outcome.xmp, XmpEditResult::Edited);
        const std::string after = folder / "after.jpg";
        WriteBytes(after, edited);
        const auto tags = test::AllTagTexts(after);
        EXPECT_EQ(GpsKeys(tags), "") << (bigEndian ? "big" : "little") << "-endian";
        EXPECT_EQ(WithoutGps(tags), WithoutGps(test::AllTagTexts(before)));
        EXPECT_EQ(test::ImageAndAfter(edited), test::ImageAndAfter(jpeg));
        EXPECT_LE(edited.size(), jpeg.size()) << "nothing is added";

        // Again: nothing is left to take out, so the same bytes.
        std::string again;
        ASSERT_EQ(EditJpegGps(edited, GpsRemoval(), again).result, GpsEditResult::Edited);
        EXPECT_EQ(again, edited);
    }
}

TEST(RemoveGps, leavesAPhotoWithoutAPositionByteForByteAndMakesNoExifSegment) {
    for (const test::JpegShape& shape : {test::JpegShape{}, test::JpegShape{{}, "", true, ""}}) {
        const std::string jpeg = test::MakeJpeg(shape);
        std::string edited;
        ASSERT_EQ(EditJpegGps(jpeg, GpsRemoval(), edited).result, GpsEditResult::Edited);
        EXPECT_EQ(edited, jpeg);
    }
    const std::string withoutExif = ReadBytes(GEOTAL_TEST_DATA "/tiny.jpg");
    ASSERT_FALSE(HasExifSegment(withoutExif));
    std::string edited;
    ASSERT_EQ(EditJpegGps(withoutExif, GpsRemoval(), edited).result, GpsEditResult::Edited);
    EXPECT_EQ(edited, withoutExif);
}

// The image direction describes the camera, not the place: it stays, and so does the GPS
// directory that holds it, with the version EXIF requires of one.
TEST(RemoveGps, keepsTheImageDirectionInTheGpsDirectory) {
    TempFolder folder;
    const std::string path =
        test::MakeDatedPhoto(folder / "a.jpg", {{"Exif.GPSInfo.GPSVersionID", "2 2 0 0"},
                                                {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                                {"Exif.GPSInfo.GPSLatitude", "47/1 30/1 0/1"},
                                                {"Exif.GPSInfo.GPSLongitudeRef", "E"},
                                                {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"},
                                                {"Exif.GPSInfo.GPSSpeed", "5/1"},
                                                {"Exif.GPSInfo.GPSImgDirectionRef", "T"},
                                                {"Exif.GPSInfo.GPSImgDirection", "271/2"}});
    std::string edited;
    ASSERT_EQ(EditJpegGps(ReadBytes(path), GpsRemoval(), edited).result, GpsEditResult::Edited);
    WriteBytes(path, edited);
    EXPECT_EQ(GpsKeys(test::AllTagTexts(path)),
              "Exif.GPSInfo.GPSImgDirection Exif.GPSInfo.GPSImgDirectionRef "
              "Exif.GPSInfo.GPSVersionID Exif.Image.GPSTag ");
    EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSImgDirection"), "271/2");
}

// A TIFF-based RAW file through the TIFF editor itself: the GPS directory and IFD0's pointer to
// it go; every other tag, the maker note's among them, reads as before.
TEST(RemoveGps, takesThePositionOutOfRealTiffBasedRawFiles) {
    const fs::path raw = GEOTAL_REAL_RAW;
    GEOTAL_SKIP_WITHOUT(raw);
    TempFolder folder;
    int tried = 0;
    for (const char* name : {"dng/ex2_IMG_1361.dng", "gpr/eo_Hero8.GPR"}) {
        const fs::path source = raw / name;
        if (!fs::exists(source)) {
            continue;
        }
        ++tried;
        const std::string target = folder / source.filename();
        const std::string bytes = ReadBytes(source);
        ASSERT_NE(GpsKeys(test::AllTagTexts(source)), "") << name;
        std::string edited;
        std::string why;
        ASSERT_EQ(EditTiffGps(bytes, GpsRemoval(), edited, why), TiffEditResult::Edited)
            << name << ": " << why;
        WriteBytes(target, edited);
        const auto tags = test::AllTagTexts(target);
        const auto sourceTags = test::AllTagTexts(source);
        EXPECT_EQ(WithoutGps(tags), WithoutGps(sourceTags)) << name;
        // Only the camera's direction may stay; without it the directory goes, and its pointer.
        const bool direction = sourceTags.count("Exif.GPSInfo.GPSImgDirection") != 0;
        EXPECT_EQ(GpsKeys(tags), direction ? "Exif.GPSInfo.GPSImgDirection "
                                             "Exif.GPSInfo.GPSImgDirectionRef "
                                             "Exif.GPSInfo.GPSVersionID Exif.Image.GPSTag "
                                           : "")
            << name;
        if (!direction) {
            EXPECT_LE(edited.size(), bytes.size()) << name << ": nothing is added";
        }
    }
    if (tried == 0) {
        GTEST_SKIP() << "no TIFF-based RAW file with a position in " << raw;
    }
}

TEST(RemoveGps, takesEveryGpsPropertyOutOfASidecarAndKeepsAPacketWhenNothingElseIsLeft) {
    const XmpExifEdit removal = GpsPropertyEdit(ToXmpGpsValues(GpsRemoval()));
    const std::string full = test::XmpPacket(
        "\n    exif:GPSLatitude=\"47,30.6N\" exif:GPSLongitude=\"8,15.0E\""
        " exif:GPSLatitudeRef=\"N\" exif:GPSLongitudeRef=\"E\" exif:GPSDateStamp=\"2010:01:01\""
        " exif:GPSTimeStamp=\"2010-01-01T12:00:00Z\" exif:GPSMapDatum=\"WGS-84\""
        " exif:GPSImgDirection=\"271/2\"",
        "", 0);
    std::string edited;
    std::string why;
    ASSERT_TRUE(EditSidecarGps(full, removal, edited, why)) << why;
    MaybePosition position;
    ASSERT_TRUE(ReadSidecarPosition(edited, position, why)) << why;
    EXPECT_FALSE(position);
    EXPECT_TRUE(SamePropertiesBesideGps(full, edited));
    EXPECT_FALSE(HoldsAnyExifProperty(edited, removal.removed)) << edited;
    EXPECT_TRUE(HoldsAnyExifProperty(edited, {"GPSImgDirection"})) << "the camera's direction";

    // A sidecar of nothing but a position is left an XMP packet of nothing, not an empty file.
    const std::string onlyGps =
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
        "rdf:about=\"\" xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
        "exif:GPSLatitude=\"47,30.6N\" exif:GPSLongitude=\"8,15.0E\"/></rdf:RDF></x:xmpmeta>";
    ASSERT_TRUE(EditSidecarGps(onlyGps, removal, edited, why)) << why;
    EXPECT_NE(edited.find("xmpmeta"), std::string::npos) << edited;
    EXPECT_TRUE(HoldsOnlyGpsProperties(edited));
    EXPECT_FALSE(HoldsAnyExifProperty(edited, removal.removed)) << edited;
}

}  // namespace
}  // namespace geotal
