#include "photo/PhotoMetadata.h"
#include "photo/StoredPosition.h"

#include <gtest/gtest.h>
#include <exiv2/exiv2.hpp>

#include "metadata/PhotoFixture.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::MakePhoto;
using test::TempFolder;

TEST(ParseExifDateTime, readsValidTextsAndGivesZeroForInvalidOnes) {
    struct Case {
        const char* text;
        CalendarTime expected;  // year 0 month 0: invalid, expect 0
    };
    const Case cases[] = {
        {"2010:01:01 12:00:00", {2010, 1, 1, 12, 0, 0}},
        {"2008:02:29 12:00:00", {2008, 2, 29, 12, 0, 0}},
        {"2000:02:29 00:00:00", {2000, 2, 29, 0, 0, 0}},
        {"2009:06:01", {2009, 6, 1, 0, 0, 0}},
        {"2009-06-01T14:30:59", {2009, 6, 1, 14, 30, 59}},
        {"0099:12:31 23:59:59", {99, 12, 31, 23, 59, 59}},
        {"2009: 6: 1  1: 2: 3", {2009, 6, 1, 1, 2, 3}},
        {"2010:02:29 12:00:00", {0, 0, 0, 0, 0, 0}},
        {"1900:02:29 12:00:00", {0, 0, 0, 0, 0, 0}},
        {"2010:07:15 24:00:00", {0, 0, 0, 0, 0, 0}},
        {"2010:07:15 23:60:00", {0, 0, 0, 0, 0, 0}},
        {"2010:07:15 23:00:60", {0, 0, 0, 0, 0, 0}},
        {"2010:04:31 12:00:00", {0, 0, 0, 0, 0, 0}},
        {"2010:13:01 12:00:00", {0, 0, 0, 0, 0, 0}},
        {"0000:00:00 00:00:00", {0, 0, 0, 0, 0, 0}},
        {"    :  :     :  :  ", {0, 0, 0, 0, 0, 0}},
        {"-001:01:01 00:00:00", {0, 0, 0, 0, 0, 0}},
        {"", {0, 0, 0, 0, 0, 0}},
        {"2010", {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const double expected = c.expected.month == 0 ? 0.0 : ToOleDate(c.expected);
        EXPECT_DOUBLE_EQ(ParseExifDateTime(c.text), expected) << c.text;
    }
}

TEST(ReadPhotoFacts, prefersTheOriginalDateAndFallsBackToTheChangeDate) {
    TempFolder folder;
    const std::string both =
        MakePhoto(folder / "both.jpg", {{"Exif.Image.DateTime", "2011:01:01 00:00:00"},
                                        {"Exif.Photo.DateTimeOriginal", "2010:01:01 12:00:00"}});
    const std::string fallback =
        MakePhoto(folder / "fallback.jpg", {{"Exif.Image.DateTime", "2009:06:01 14:30:00"}});
    double lon = 1, lat = 1, time = 0;
    EXPECT_TRUE(test::ReadStoredPosition(both, lon, lat, time));
    EXPECT_DOUBLE_EQ(time, 40179.5);
    EXPECT_EQ(lat, 0);
    EXPECT_EQ(lon, 0);
    EXPECT_TRUE(test::ReadStoredPosition(fallback, lon, lat, time));
    EXPECT_DOUBLE_EQ(time, ToOleDate({2009, 6, 1, 14, 30, 0}));
}

TEST(ReadPhotoFacts, givesNoTimeAndNoPositionWithoutExifOrWithoutADate) {
    TempFolder folder;
    const std::string noExif = MakePhoto(folder / "plain.jpg");
    const std::string noDate =
        MakePhoto(folder / "nodate.jpg",
                  {{"Exif.Image.Make", "Cam"}, {"Exif.GPSInfo.GPSLatitude", "47/1 30/1 36/1"}});
    for (const std::string& path : {noExif, noDate, folder / "missing.jpg"}) {
        double lon = 5, lat = 5, time = 7;
        EXPECT_FALSE(test::ReadStoredPosition(path, lon, lat, time)) << path;
        EXPECT_EQ(lon, 0);
        EXPECT_EQ(lat, 0);
        EXPECT_EQ(time, 0) << "no capture time";
    }
}

TEST(ReadPhotoFacts, readsTheGpsPositionWithItsReferences) {
    struct Case {
        const char* latRef;
        const char* lonRef;
        double lat, lon;
    };
    const Case cases[] = {
        {"N", "E", 171036.0, 29700.0},
        {"S", "W", -171036.0, -29700.0},
        {"s", "w", 171036.0, 29700.0},  // references compare case-sensitively
        {"X", "E", 171036.0, 29700.0},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string path =
            MakeDatedPhoto(folder / (std::string(c.latRef) + c.lonRef + ".jpg"),
                           {{"Exif.GPSInfo.GPSLatitude", "47/1 30/1 36/1"},
                            {"Exif.GPSInfo.GPSLatitudeRef", c.latRef},
                            {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"},
                            {"Exif.GPSInfo.GPSLongitudeRef", c.lonRef}});
        double lon = 0, lat = 0, time = 0;
        ASSERT_TRUE(test::ReadStoredPosition(path, lon, lat, time));
        EXPECT_DOUBLE_EQ(lat, c.lat) << c.latRef;
        EXPECT_DOUBLE_EQ(lon, c.lon) << c.lonRef;
        EXPECT_DOUBLE_EQ(time, 40179.5);
    }
}

TEST(ReadPhotoFacts, treatsAnIncompleteGpsSetAsNoPositionButKeepsTheTime) {
    TempFolder folder;
    const std::string path =
        MakeDatedPhoto(folder / "a.jpg", {{"Exif.GPSInfo.GPSLatitude", "47/1 30/1 36/1"},
                                          {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                          {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"}});
    double lon = 0, lat = 0, time = 0;
    EXPECT_TRUE(test::ReadStoredPosition(path, lon, lat, time));
    EXPECT_EQ(lat, 0);
    EXPECT_EQ(lon, 0);
    EXPECT_DOUBLE_EQ(time, 40179.5);
}

// Sets one tag with a value of the given type, whatever type EXIF defines for it.
void SetTyped(const std::string& path, const char* key, Exiv2::TypeId type, const char* text) {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    auto value = Exiv2::Value::create(type);
    value->read(text);
    image->exifData()[key].setValue(value.get());
    image->writeMetadata();
}

TEST(ReadPhotoFacts, readsAnImpossibleOrWronglyTypedStoredPositionAsNone) {
    struct Case {
        const char* name;
        Exiv2::TypeId type;
        const char* latitude;
    };
    const Case cases[] = {
        {"huge", Exiv2::unsignedRational, "4294967295/1 0/1 0/1"},
        {"beyondThePole", Exiv2::unsignedRational, "90/1 30/1 0/1"},
        {"signed and negative", Exiv2::signedRational, "-47/1 30/1 0/1"},
        {"signed, a negative denominator", Exiv2::signedRational, "47/-1 30/1 0/1"},
        {"text", Exiv2::asciiString, "47.5"},
        {"bytes", Exiv2::unsignedByte, "47 30 36"},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string path = MakeDatedPhoto(folder / (std::string(c.name) + ".jpg"),
                                                {{"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                                 {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"},
                                                 {"Exif.GPSInfo.GPSLongitudeRef", "E"}});
        SetTyped(path, "Exif.GPSInfo.GPSLatitude", c.type, c.latitude);
        double lon = 1, lat = 1, time = 0;
        EXPECT_TRUE(test::ReadStoredPosition(path, lon, lat, time)) << c.name;
        EXPECT_EQ(lat, 0) << c.name;
        EXPECT_EQ(lon, 0) << c.name;
        EXPECT_DOUBLE_EQ(time, 40179.5) << c.name;
    }
}

}  // namespace
}  // namespace geotal

namespace geotal {
namespace {

// A sidecar as photo managers write it, with the position in XMP's form.
std::string SidecarWith(const std::string& latitude, const std::string& longitude) {
    return "<?xpacket begin='\xef\xbb\xbf' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
           "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
           "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n"
           "<rdf:Description rdf:about='' xmlns:exif='http://ns.adobe.com/exif/1.0/' "
           "exif:GPSLatitude='" +
           latitude + "' exif:GPSLongitude='" + longitude +
           "'/>\n</rdf:RDF></x:xmpmeta>\n<?xpacket end='w'?>";
}

// A JPEG too: written with sidecars only, its position is in its sidecar alone.
TEST(ReadPhotoFacts, takesThePositionOfAPhotoWithoutOneFromItsSidecar) {
    struct Case {
        const char* photo;
        const char* sidecar;  // "" for none
        bool fromSidecar;
    };
    // A JPEG named otherwise reads as the JPEG it is, standing in for a RAW file here.
    const Case cases[] = {
        {"a.nef", "a.xmp", true},     {"a.NEF", "a.XMP", true},  {"a.cr2", "a.cr2.xmp", true},
        {"a.png", "a.png.XMP", true}, {"a.jpg", "a.xmp", true},  {"a.JPEG", "a.JPEG.xmp", true},
        {"a.dng", "", false},         {"a.dng", "b.xmp", false},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        MakeDatedPhoto(folder / c.photo);
        if (*c.sidecar != '\0') {
            test::WriteBytes(folder / c.sidecar, SidecarWith("47,30.5000N", "8,15,0W"));
        }
        PhotoFacts facts;
        ASSERT_TRUE(ReadPhotoFacts(folder / c.photo, facts)) << c.photo;
        EXPECT_EQ(facts.captureTime, ToOleDate(CalendarTime{2010, 1, 1, 12, 0, 0}));
        ASSERT_EQ(facts.position.has_value(), c.fromSidecar) << c.photo << " " << c.sidecar;
        if (c.fromSidecar) {
            EXPECT_NEAR(facts.position->latitude, 47 * 3600.0 + 1830, 1e-6);
            EXPECT_NEAR(facts.position->longitude, -(8 * 3600.0 + 900), 1e-6);
            EXPECT_EQ(facts.note, std::string("Position from the sidecar ") + c.sidecar);
        }
    }
}

// Where a position is written, it is read first: a RAW's sidecar before the RAW's own tags (a
// position written there must not seem lost after a reload), a JPEG's own tags before its
// sidecar. An unreadable sidecar is named, and the file's own position stays.
TEST(ReadPhotoFacts, readsAPositionFirstWhereItIsWrittenAndNamesAnUnreadableSidecar) {
    TempFolder folder;
    const test::Tags own = {{"Exif.GPSInfo.GPSLatitude", "10/1 0/1 0/1"},
                            {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                            {"Exif.GPSInfo.GPSLongitude", "20/1 0/1 0/1"},
                            {"Exif.GPSInfo.GPSLongitudeRef", "E"}};
    PhotoFacts facts;
    for (const char* name : {"own.orf", "own.jpg"}) {
        MakeDatedPhoto(folder / name, own);
    }
    test::WriteBytes(folder / "own.xmp", SidecarWith("47,30.5000N", "8,15,0W"));
    ASSERT_TRUE(ReadPhotoFacts(folder / "own.orf", facts));
    EXPECT_NEAR(facts.position->latitude, 47 * 3600.0 + 1830, 1e-6);
    EXPECT_EQ(facts.note, "Position from the sidecar own.xmp");
    ASSERT_TRUE(ReadPhotoFacts(folder / "own.jpg", facts));
    EXPECT_NEAR(facts.position->latitude, 36000, 1e-6);
    // Written with sidecars only, a JPEG's position is its sidecar's.
    ASSERT_TRUE(ReadPhotoFacts(folder / "own.jpg", facts, {SidecarNaming::Name, true}));
    EXPECT_NEAR(facts.position->latitude, 47 * 3600.0 + 1830, 1e-6);
    // Of two sidecars, the one of the naming chosen, where the position goes.
    test::WriteBytes(folder / "own.orf.xmp", SidecarWith("10,30.0000S", "8,15,0W"));
    ASSERT_TRUE(ReadPhotoFacts(folder / "own.orf", facts, {SidecarNaming::NameExt, false}));
    EXPECT_NEAR(facts.position->latitude, -(10 * 3600.0 + 1800), 1e-6);
    ASSERT_TRUE(ReadPhotoFacts(folder / "own.orf", facts));
    EXPECT_NEAR(facts.position->latitude, 47 * 3600.0 + 1830, 1e-6);

    MakeDatedPhoto(folder / "mine.orf", own);
    test::WriteBytes(folder / "mine.xmp", "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF");
    ASSERT_TRUE(ReadPhotoFacts(folder / "mine.orf", facts));
    EXPECT_NEAR(facts.position->latitude, 36000, 1e-6);
    EXPECT_EQ(facts.note.rfind("The sidecar mine.xmp cannot be read", 0), 0u) << facts.note;

    MakeDatedPhoto(folder / "bad.orf");
    test::WriteBytes(folder / "bad.xmp", "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF");
    ASSERT_TRUE(ReadPhotoFacts(folder / "bad.orf", facts));
    EXPECT_FALSE(facts.position);
    EXPECT_EQ(facts.note.rfind("The sidecar bad.xmp cannot be read", 0), 0u) << facts.note;
}

TEST(ReadPhotoFacts, fallsBackToTheXmpDatesOfAPhotoWithoutExifDates) {
    TempFolder folder;
    MakePhoto(folder / "xmp.jpg");
    {
        auto image = Exiv2::ImageFactory::open(folder / "xmp.jpg");
        image->readMetadata();
        image->xmpData()["Xmp.photoshop.DateCreated"] = "2015-03-04T05:06:07+01:00";
        image->writeMetadata();
    }
    PhotoFacts facts;
    ASSERT_TRUE(ReadPhotoFacts(folder / "xmp.jpg", facts));
    EXPECT_EQ(facts.captureTime, ToOleDate(CalendarTime{2015, 3, 4, 5, 6, 7}));
    EXPECT_EQ(facts.recordedOffset, "+01:00");

    MakePhoto(folder / "none.jpg");
    EXPECT_FALSE(ReadPhotoFacts(folder / "none.jpg", facts));
    EXPECT_EQ(facts.note, "No capture time: the file holds no EXIF or XMP date");
}

// The listing reads each photo once: the XMP date must come from that read whether the photo
// has EXIF data (without a date) or none, and never outrank an EXIF date.
TEST(ReadPhotoFacts, takesTheXmpDateFromTheOneReadWithOrWithoutExifData) {
    TempFolder folder;
    const auto withXmpDate = [&folder](const std::string& name, const test::Tags& exif) {
        MakePhoto(folder / name, exif);
        auto image = Exiv2::ImageFactory::open(folder / name);
        image->readMetadata();
        image->xmpData()["Xmp.exif.DateTimeOriginal"] = "2016-05-06T07:08:09";
        image->writeMetadata();
        return folder / name;
    };
    PhotoFacts facts;
    ASSERT_TRUE(ReadPhotoFacts(withXmpDate("make.nef", {{"Exif.Image.Make", "Maker"}}), facts));
    EXPECT_EQ(facts.captureTime, ToOleDate(CalendarTime{2016, 5, 6, 7, 8, 9}));
    ASSERT_TRUE(ReadPhotoFacts(withXmpDate("bare.nef", {}), facts));
    EXPECT_EQ(facts.captureTime, ToOleDate(CalendarTime{2016, 5, 6, 7, 8, 9}));
    ASSERT_TRUE(ReadPhotoFacts(
        withXmpDate("dated.nef", {{"Exif.Photo.DateTimeOriginal", "2010:01:01 12:00:00"}}), facts));
    EXPECT_EQ(facts.captureTime, ToOleDate(CalendarTime{2010, 1, 1, 12, 0, 0}));

    test::WriteBytes(folder / "text.nef", "not a photo");
    EXPECT_FALSE(ReadPhotoFacts(folder / "text.nef", facts));
    EXPECT_EQ(facts.note.rfind("No capture time: the file cannot be read (", 0), 0u) << facts.note;
    EXPECT_EQ(facts.captureTime, std::nullopt);
}

}  // namespace
}  // namespace geotal

namespace geotal {
namespace {

// The tag a capture time comes from, by how surely it says when the photo was taken; a date of
// the day alone ends the search, and the modification date comes last, named as such.
TEST(ReadPhotoFacts, takesTheCaptureTimeFromTheSurestTagAndNamesIt) {
    TempFolder folder;
    struct Case {
        const char* name;
        test::Tags exif;
        std::vector<std::pair<const char*, const char*>> xmp;
        double time;  // 0: none
        const char* tagOrNote;
    };
    const double original = ToOleDate(CalendarTime{2010, 1, 1, 12, 0, 0});
    const double xmpOriginal = ToOleDate(CalendarTime{2016, 5, 6, 7, 8, 9});
    const double digitized = ToOleDate(CalendarTime{2003, 9, 5, 16, 30, 0});
    const double changed = ToOleDate(CalendarTime{2020, 10, 12, 9, 0, 0});
    const Case cases[] = {
        {"original.jpg",
         {{"Exif.Photo.DateTimeOriginal", "2010:01:01 12:00:00"},
          {"Exif.Image.DateTime", "2020:10:12 09:00:00"}},
         {{"Xmp.exif.DateTimeOriginal", "2016-05-06T07:08:09"}},
         original,
         "DateTimeOriginal"},
        {"xmp.jpg",
         {{"Exif.Photo.DateTimeDigitized", "2003:09:05 16:30:00"},
          {"Exif.Image.DateTime", "2020:10:12 09:00:00"}},
         {{"Xmp.exif.DateTimeOriginal", "2016-05-06T07:08:09"}},
         xmpOriginal,
         "XMP exif:DateTimeOriginal"},
        {"scanned.jpg",
         {{"Exif.Photo.DateTimeDigitized", "2003:09:05 16:30:00"},
          {"Exif.Image.DateTime", "2020:10:12 09:00:00"}},
         {},
         digitized,
         "DateTimeDigitized"},
        {"edited.jpg", {{"Exif.Image.DateTime", "2020:10:12 09:00:00"}}, {}, changed, "DateTime"},
        {"day.jpg",
         {{"Exif.Image.DateTime", "2020:10:12 09:00:00"}},
         {{"Xmp.photoshop.DateCreated", "2003-08-30"}},
         0,
         "No capture time: the photo records only the day it was taken, 2003-08-30 (XMP "
         "photoshop:DateCreated), no time of day"},
    };
    for (const Case& c : cases) {
        MakePhoto(folder / c.name, c.exif);
        {
            auto image = Exiv2::ImageFactory::open(folder / c.name);
            image->readMetadata();
            for (const auto& [key, text] : c.xmp) {
                image->xmpData()[key] = text;
            }
            image->writeMetadata();
        }
        PhotoFacts facts;
        EXPECT_EQ(ReadPhotoFacts(folder / c.name, facts), c.time != 0) << c.name;
        EXPECT_EQ(facts.captureTime.value_or(0), c.time) << c.name;
        EXPECT_EQ(c.time != 0 ? facts.timeTag : facts.note, c.tagOrNote) << c.name;
    }
}

// A scan edited years later: its XMP holds the day it was taken and the time it was scanned,
// its EXIF data the time of the edit. It gets no time, and says which day it records.
TEST(ReadPhotoFacts, listsARealPhotoThatRecordsOnlyItsDayWithoutATime) {
    const std::string photo = std::string(GEOTAL_REAL_RAW) + "/tiff/exifr_Bush-dog.tif";
    GEOTAL_SKIP_WITHOUT(photo);
    PhotoFacts facts;
    EXPECT_FALSE(ReadPhotoFacts(photo, facts));
    EXPECT_EQ(facts.captureTime, std::nullopt);
    EXPECT_NE(facts.note.find("records only the day it was taken, 2003-08-30"), std::string::npos)
        << facts.note;
}

// A phone's PNG writes its coordinates as signed fractions, which say the same as EXIF's
// unsigned ones; the same photo with its EXIF data in an old-style text chunk says why it has
// no time.
TEST(ReadPhotoFacts, readsAPngsSignedCoordinatesAndNamesALegacyExifChunk) {
    const std::string png = std::string(GEOTAL_REAL_RAW) + "/png/ne_exif.png";
    GEOTAL_SKIP_WITHOUT(png);
    PhotoFacts facts;
    ASSERT_TRUE(ReadPhotoFacts(png, facts));
    ASSERT_TRUE(facts.position);
    EXPECT_NEAR(facts.position->LatitudeDegrees(), 22.531133, 1e-6);
    EXPECT_NEAR(facts.position->LongitudeDegrees(), 114.021481, 1e-6);
    EXPECT_EQ(facts.camera, "vivo X90 Pro+");

    EXPECT_FALSE(ReadPhotoFacts(std::string(GEOTAL_REAL_RAW) + "/png/ne_exif-legacy.png", facts));
    EXPECT_NE(facts.note.find("old-style PNG text chunk"), std::string::npos) << facts.note;

    TempFolder folder;
    const std::string path =
        MakeDatedPhoto(folder / "signed.jpg", {{"Exif.GPSInfo.GPSLatitudeRef", "S"},
                                               {"Exif.GPSInfo.GPSLongitude", "8/1 15/1 0/1"},
                                               {"Exif.GPSInfo.GPSLongitudeRef", "E"}});
    SetTyped(path, "Exif.GPSInfo.GPSLatitude", Exiv2::signedRational, "47/1 30/1 0/1");
    ASSERT_TRUE(ReadPhotoFacts(path, facts));
    ASSERT_TRUE(facts.position);
    EXPECT_DOUBLE_EQ(facts.position->LatitudeDegrees(), -47.5);
}

TEST(CameraName, namesTheModelAfterItsMakerOnceWithTheBodysSerialNumber) {
    struct Case {
        const char* make;
        const char* model;
        const char* serial;
        const char* name;
    };
    const Case cases[] = {
        {"Canon", "Canon EOS 40D", "", "Canon EOS 40D"},
        {"NIKON CORPORATION", "NIKON D5300", "", "NIKON CORPORATION NIKON D5300"},
        {"Apple", "iPhone 7", "", "Apple iPhone 7"},
        {"Canon  ", " Canon EOS 5D Mark III", "033024001432",
         "Canon EOS 5D Mark III #033024001432"},
        {"", "", "123", ""},
        {"", "DSC-HX5V", "", "DSC-HX5V"},
    };
    for (const Case& c : cases) {
        ListedExifTags tags;
        tags.make = c.make;
        tags.model = c.model;
        tags.bodySerialNumber = c.serial;
        EXPECT_EQ(CameraName(tags), c.name) << c.model;
    }
}

}  // namespace
}  // namespace geotal
