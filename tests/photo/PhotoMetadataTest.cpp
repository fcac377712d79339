#include "photo/PhotoMetadata.h"
#include "photo/StoredPosition.h"

#include <gtest/gtest.h>
#include <exiv2/exiv2.hpp>

#include "photo/PhotoFixture.h"
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

TEST(ReadPhotoMetadata, prefersTheOriginalDateAndFallsBackToTheChangeDate) {
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

TEST(ReadPhotoMetadata, givesNoMetadataWithoutExifOrWithoutADate) {
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
        EXPECT_EQ(time, 7) << "the time is left as it was";
    }
}

TEST(ReadPhotoMetadata, readsTheGpsPositionWithItsReferences) {
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

TEST(ReadPhotoMetadata, treatsAnIncompleteGpsSetAsNoPositionButKeepsTheTime) {
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

TEST(ReadPhotoMetadata, readsAnImpossibleOrWronglyTypedStoredPositionAsNone) {
    struct Case {
        const char* name;
        Exiv2::TypeId type;
        const char* latitude;
    };
    const Case cases[] = {
        {"huge", Exiv2::unsignedRational, "4294967295/1 0/1 0/1"},
        {"beyondThePole", Exiv2::unsignedRational, "90/1 30/1 0/1"},
        {"signed", Exiv2::signedRational, "-47/1 30/1 0/1"},
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
