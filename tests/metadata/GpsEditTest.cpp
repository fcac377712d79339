// The byte-level GPS edit on its own: what it refuses, and the odd layouts it meets in photos.
#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/JpegGpsEdit.h"
#include "metadata/PhotoFixture.h"
#include "metadata/XmpGpsEdit.h"

namespace geotal {
namespace {

using test::ExifSegment;
using test::JpegShape;
using test::MakeJpeg;

const std::vector<TiffField> kFields = {
    {0x0000, TiffType::Byte, {2, 2, 0, 0}},
    {0x0001, TiffType::Ascii, {'S', 0}},
    {0x0002, TiffType::Rational, {47, 1, 30, 1, 36, 1}},
    {0x0003, TiffType::Ascii, {'W', 0}},
    {0x0004, TiffType::Rational, {8, 1, 15, 1, 0, 1}},
    {0x0005, TiffType::Byte, {1}},
    {0x0006, TiffType::Rational, {25, 2}},
};

JpegShape WithGps(bool bigEndian) {
    JpegShape shape;
    shape.exif.gps = true;
    shape.exif.bigEndian = bigEndian;
    return shape;
}

// The fixture's bytes with the TIFF data's bytes at offset replaced.
std::string Patched(const JpegShape& shape, std::size_t offset, const std::string& bytes) {
    std::string jpeg = MakeJpeg(shape);
    jpeg.replace(jpeg.find(ExifSegment(jpeg)) + 10 + offset, bytes.size(), bytes);
    return jpeg;
}

// Where the fixture's (little-endian) GPS pointer entry and GPS directory lie in the TIFF data.
std::size_t GpsPointerEntry(const std::string& jpeg) {
    const std::string tiff = ExifSegment(jpeg).substr(10);
    return tiff.find(std::string("\x25\x88\x04\x00", 4));
}

std::string Segment(unsigned char marker, const std::string& data) {
    const std::size_t length = data.size() + 2;
    return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                       static_cast<char>(length & 0xFF)} +
           data;
}

TEST(EditJpegGps, refusesWhatItCannotEditAndSaysWhy) {
    const std::string plain = MakeJpeg({});
    JpegShape full;
    full.exif.segmentSize = 65536 - 60;
    const std::string multiPicture = Segment(0xE2, std::string("MPF\0II*\0", 8));
    struct Case {
        const char* name;
        std::string jpeg;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "not a JPEG file"},
        {"text", "just some text", "not a JPEG file"},
        {"cut in a segment", plain.substr(0, 30), "runs past the end"},
        {"no byte-order mark", Patched({}, 0, "XX"), "no TIFF byte-order mark"},
        {"not 42", Patched({}, 2, std::string("\x2B\0", 2)), "not TIFF"},
        {"IFD0 past the end", Patched({}, 4, "\xFF\xFF\0\0"), "IFD0 lies outside"},
        {"IFD0 before the data", Patched({}, 4, std::string("\4\0\0\0", 4)), "IFD0 lies"},
        {"full segment", MakeJpeg(full), "would pass 64 KB"},
        {"multi-picture index first", plain.substr(0, 2) + multiPicture + plain.substr(2),
         "follows a multi-picture index"},
    };
    for (const Case& c : cases) {
        std::string edited = "untouched";
        const GpsEditOutcome outcome = EditJpegGps(c.jpeg, {kFields, {}}, edited);
        EXPECT_EQ(outcome.result, GpsEditResult::Refused) << c.name;
        EXPECT_NE(outcome.reason.find(c.reason), std::string::npos)
            << c.name << ": " << outcome.reason;
        EXPECT_EQ(edited, "untouched") << c.name;
    }
}

TEST(EditJpegGps, pointsABrokenGpsPointerAtANewDirectoryAndKeepsWhatItCanRead) {
    const std::string jpeg = MakeJpeg(WithGps(false));
    const std::size_t pointer = GpsPointerEntry(jpeg);
    ASSERT_NE(pointer, std::string::npos);
    const std::string satellites("\x08\0\x02\0\x02\0\0\0\x37\0\0\0", 12);
    const std::size_t satellitesAt = ExifSegment(jpeg).substr(10).find(satellites);
    ASSERT_NE(satellitesAt, std::string::npos);
    std::string unknownType = satellites;
    unknownType[2] = 99;
    struct Case {
        const char* name;
        std::size_t at;
        std::string bytes;
        const char* satellites;  // as exiv2 reads it; "" when the old directory is gone
    };
    const Case cases[] = {
        {"a signed pointer", pointer + 2, std::string("\x09\0", 2), "7"},
        {"a pointer counting no value", pointer + 4, std::string(4, '\0'), ""},
        {"a pointer of type short", pointer + 2, std::string("\x03\0", 2), ""},
        {"a pointer past the end", pointer + 8, "\xF0\xFF\0\0", ""},
        {"an entry of an unknown type", satellitesAt, unknownType, "55 0"},
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = Patched(WithGps(false), c.at, c.bytes);
        std::string edited;
        ASSERT_EQ(EditJpegGps(before, {kFields, {}}, edited).result, GpsEditResult::Edited);
        const std::string path = folder.Write("a.jpg", edited);
        EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSLatitudeRef"), "S");
        EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 36/1");
        EXPECT_EQ(test::TagText(path, "Exif.GPSInfo.GPSSatellites"), c.satellites);
    }
    // The entry whose value cannot be found is carried over as it was.
    std::string edited;
    const std::string before = Patched(WithGps(false), satellitesAt, unknownType);
    ASSERT_EQ(EditJpegGps(before, {kFields, {}}, edited).result, GpsEditResult::Edited);
    EXPECT_NE(ExifSegment(edited).find(unknownType, ExifSegment(before).size()), std::string::npos);
}

TEST(EditJpegGps, findsSegmentsAfterStrayBytesAndCopiesTheBytes) {
    const std::string jpeg = MakeJpeg({});
    const std::size_t exif = jpeg.find(ExifSegment(jpeg));
    const std::string stray = jpeg.substr(0, exif) + "stray" + jpeg.substr(exif);
    std::string edited;
    ASSERT_EQ(EditJpegGps(stray, {kFields, {}}, edited).result, GpsEditResult::Edited);
    EXPECT_EQ(edited.substr(0, exif + 5), stray.substr(0, exif + 5));
}

TEST(ToXmpGpsValues, givesXmpsFormsOfTheFields) {
    const XmpGpsValues values = ToXmpGpsValues({kFields, {}});
    EXPECT_EQ(values.latitude, "47,30.6S");
    EXPECT_EQ(values.longitude, "8,15.0W");
    EXPECT_EQ(values.altitude, "25/2");
    EXPECT_EQ(values.altitudeRef, "1");
    EXPECT_EQ(values.version, "2.2.0.0");
    // Degrees with a fraction, as some writers give them; seconds with a fraction.
    const XmpGpsValues other =
        ToXmpGpsValues({{{0x0001, TiffType::Ascii, {'N', 0}},
                         {0x0002, TiffType::Rational, {4751, 100, 0, 1, 0, 1}},
                         {0x0003, TiffType::Ascii, {'E', 0}},
                         {0x0004, TiffType::Rational, {8, 1, 15, 1, 1, 4}}},
                        {}});
    EXPECT_EQ(other.latitude, "47,30.6N");
    EXPECT_EQ(other.longitude, "8,15.0041666667E");
    EXPECT_EQ(other.altitude, "");
    EXPECT_EQ(other.version, "");
    EXPECT_EQ(other.timeStamp, "");
    // The fix's date and time in one; the properties of removed tags, each once.
    const XmpGpsValues fix = ToXmpGpsValues(
        {{{0x0007, TiffType::Rational, {9, 1, 5, 1, 61, 2}},
          {0x001D, TiffType::Ascii, {'2', '0', '1', '0', ':', '0', '1', ':', '3', '1', 0}}},
         {5, 6, 12, 13, 19, 20, 16 + 100}});
    EXPECT_EQ(fix.timeStamp, "2010-01-31T09:05:30.5Z");
    EXPECT_EQ(fix.removed, (std::vector<std::string>{"GPSAltitudeRef", "GPSAltitude", "GPSSpeedRef",
                                                     "GPSSpeed", "GPSDestLatitude"}));
}

TEST(EditXmpGps, setsOnlyThePositionPropertiesThePacketHolds) {
    XmpGpsValues values;
    values.latitude = "47,30.6S";
    values.longitude = "8,15.0W";
    values.altitude = "25/2";
    values.altitudeRef = "1";
    values.timeStamp = "2010-01-31T09:05:30Z";
    values.removed = {"GPSSpeed", "GPSSpeedRef"};
    const std::string ns = " xmlns:exif=\"http://ns.adobe.com/exif/1.0/\"";
    struct Case {
        const char* name;
        std::string packet;
        XmpEditResult result;
        std::string edited;
    };
    const Case cases[] = {
        {"no EXIF namespace", "<d a:GPSLatitude=\"1,2N\"/>", XmpEditResult::NoPosition, ""},
        {"an altitude only", "<d" + ns + " exif:GPSAltitude=\"1/1\"/>", XmpEditResult::NoPosition,
         ""},
        {"attributes", "<d" + ns + " exif:GPSLatitude=\"1,2N\" exif:GPSLongitude='3,4E'/>",
         XmpEditResult::Edited,
         "<d" + ns + " exif:GPSLatitude=\"47,30.6S\" exif:GPSLongitude='8,15.0W'/>"},
        {"spaces around =", "<d" + ns + " exif:GPSLatitude = \"1,2N\"/>", XmpEditResult::Edited,
         "<d" + ns + " exif:GPSLatitude = \"47,30.6S\"/>"},
        {"elements, another prefix",
         "<d xmlns:e='http://ns.adobe.com/exif/1.0/'><e:GPSLongitude>3,4E</e:GPSLongitude>"
         "<e:GPSAltitudeRef>0</e:GPSAltitudeRef><e:GPSAltitude>1/1</e:GPSAltitude></d>",
         XmpEditResult::Edited,
         "<d xmlns:e='http://ns.adobe.com/exif/1.0/'><e:GPSLongitude>8,15.0W</e:GPSLongitude>"
         "<e:GPSAltitudeRef>1</e:GPSAltitudeRef><e:GPSAltitude>25/2</e:GPSAltitude></d>"},
        {"the name in text", "<d" + ns + " exif:GPSLatitude='1,2N'>exif:GPSLongitude</d>",
         XmpEditResult::Edited, "<d" + ns + " exif:GPSLatitude='47,30.6S'>exif:GPSLongitude</d>"},
        {"the old fix's properties taken out, the time stamp set",
         "<d" + ns +
             " exif:GPSLatitude='1N' exif:GPSSpeed='3'\n   exif:GPSTimeStamp='2001'>\n"
             "  <exif:GPSSpeedRef>K</exif:GPSSpeedRef>\n  <exif:GPSSpeedX>K</exif:GPSSpeedX>\n</d>",
         XmpEditResult::Edited,
         "<d" + ns +
             " exif:GPSLatitude='47,30.6S'\n   exif:GPSTimeStamp='2010-01-31T09:05:30Z'>"
             "\n  <exif:GPSSpeedX>K</exif:GPSSpeedX>\n</d>"},
        {"the namespace bound in two descriptions",
         "<d" + ns + " exif:GPSLatitude='1,2N'/><d" + ns + " exif:GPSAltitude='1/1'/>",
         XmpEditResult::Edited,
         "<d" + ns + " exif:GPSLatitude='47,30.6S'/><d" + ns + " exif:GPSAltitude='25/2'/>"},
        {"a structure", "<d" + ns + "><exif:GPSLatitude rdf:parseType='Resource'/></d>",
         XmpEditResult::UnknownForm, ""},
        {"padding takes up the growth",
         "<d" + ns + " exif:GPSLatitude='1N'/>      \n<?xpacket end='w'?>", XmpEditResult::Edited,
         "<d" + ns + " exif:GPSLatitude='47,30.6S'/> <?xpacket end='w'?>"},
        {"padding gives back what shrank",
         "<d" + ns + " exif:GPSLatitude='10,20.12345N'/>\n<?xpacket end='w'?>",
         XmpEditResult::Edited,
         "<d" + ns + " exif:GPSLatitude='47,30.6S'/>\n    <?xpacket end='w'?>"},
    };
    for (const Case& c : cases) {
        std::string edited;
        EXPECT_EQ(EditXmpGps(c.packet, values, edited), c.result) << c.name;
        EXPECT_EQ(edited, c.edited) << c.name;
    }
}

}  // namespace
}  // namespace geotal
