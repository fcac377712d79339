#include "track/TrackFormat.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "track/TrackTestFolder.h"

namespace geotal {
namespace {

struct FormatCase {
    const char* name;
    std::string content;
    std::optional<TrackFormat> format;
};

std::string Utf16(const std::string& text) {
    std::string wide = "\xFF\xFE";
    for (char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// Each file is written with its content and its format told from the name, or from the
// content where the name does not tell.
const std::vector<FormatCase> kFormatCases = {
    {"walk.gpx", "", TrackFormat::Gpx},
    {"trip.xgpx", "", TrackFormat::Gpx},
    {"LOG.CSV", "", TrackFormat::Csv},
    {"a.nmea", "", TrackFormat::Nmea},
    {"a.KML", "", TrackFormat::Kml},
    {"a.kmz", "", TrackFormat::Kmz},
    {"a.tcx", "", TrackFormat::Tcx},
    {"a.fit", "", TrackFormat::Fit},
    {"a.igc", "", TrackFormat::Igc},
    {"a.geojson", "", TrackFormat::GeoJson},
    {"track.gpx1", "", std::nullopt},
    {"notes.txt", "1,2010-05-01,10:20:33,9,9\n", std::nullopt},
    {"gps.txt", "$GPGGA,093156.000,5333.4037,N,00951.9344,E,1,06,1.7,47.5,M,46.0,M,,0000*61\n",
     TrackFormat::Nmea},
    {"gps.log", "boot\r\n$GNRMC,103607.00,A,5327.03942,N,00214.42462,W,0.046,,060321,,,A,V*0E\r\n",
     TrackFormat::Nmea},
    {"wide.log", Utf16("$GPRMC,032908.379,A,4231.8291,N,08807.3033,W,0.17,138.92,070804,,*12\r\n"),
     TrackFormat::Nmea},
    {"doc.xml", "<?xml version=\"1.0\"?><kml xmlns=\"http://www.opengis.net/kml/2.2\">",
     TrackFormat::Kml},
    {"run.xml", "<?xml version=\"1.0\"?>\n<TrainingCenterDatabase>", TrackFormat::Tcx},
    {"export.xml", "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\">", TrackFormat::Gpx},
    {"other.xml", "<?xml version=\"1.0\"?>\n<settings/>", std::nullopt},
    {"Records.json", "{\n  \"locations\": [{\"latitudeE7\": 1, \"longitudeE7\": 2}]}",
     TrackFormat::GoogleHistory},
    {"2013_MAY.json", "{\"timelineObjects\": []}", TrackFormat::GoogleHistory},
    {"Timeline.json", "{\"semanticSegments\": []}", TrackFormat::GoogleHistory},
    {"overland.json", "{\"locations\": [{\"type\": \"Feature\"}]}", TrackFormat::GeoJson},
    {"settings.json", "{\"gaiaId\": \"1\"}", std::nullopt},
    // Some loggers write names without any ending: their first bytes tell, as for .log.
    {"gpslog", "$GPGGA,093156.000,5333.4037,N,00951.9344,E,1,06,1.7,47.5,M,46.0,M,,0000*61\n",
     TrackFormat::Nmea},
    {"wide", Utf16("$GPRMC,032908.379,A,4231.8291,N,08807.3033,W,0.17,138.92,070804,,*12\r\n"),
     TrackFormat::Nmea},
    {"flight", "AXCSAAA\r\nHFDTEDATE:080116,01\r\nB1101355206343N00006198WA0058700558\r\n",
     TrackFormat::Igc},
    {"README", "shopping list\n", std::nullopt},
    {"gps.dat", "$GPGGA,093156.000,5333.4037,N,00951.9344,E,1,06,1.7,47.5,M,46.0,M,,0000*61\n",
     std::nullopt},
};

TEST(TrackFormat, isToldByTheNameOrForSomeNamesByTheFirstBytes) {
    testing::TrackTestFolder folder;
    for (const FormatCase& c : kFormatCases) {
        EXPECT_EQ(TrackFormatOfFile(folder.Write(c.name, c.content)), c.format) << c.name;
    }
}

// A file named on its own is taken for a track file: where its name does not tell, its first
// bytes do, whatever the name; where the name tells, the name wins.
TEST(TrackFormat, ofAFileNamedAloneIsToldByItsContentWhereItsNameDoesNot) {
    std::string fit = {14, 0x20, 0x54, 0x08, 0, 0, 0, 0, '.', 'F', 'I', 'T', 0, 0};
    std::string kmz = "PK\x03\x04" + std::string(22, '\0') + "\x07" + std::string(3, '\0') +
                      "doc.kml" + "compressed bytes";
    std::string zip = kmz;
    zip.replace(zip.find("doc.kml"), 7, "doc.txt");
    const std::string nmea =
        "$GPGGA,093156.000,5333.4037,N,00951.9344,E,1,06,1.7,47.5,M,46.0,M,,0000*61\n";
    const std::vector<FormatCase> cases = {
        {"gps.dat", nmea, TrackFormat::Nmea}, {"ride.bin", fit, TrackFormat::Fit},
        {"trip.zip", kmz, TrackFormat::Kmz},  {"other.zip", zip, std::nullopt},
        {"walk.gpx", nmea, TrackFormat::Gpx}, {"notes.dat", "shopping list\n", std::nullopt},
    };
    testing::TrackTestFolder folder;
    for (const FormatCase& c : cases) {
        const std::string path = folder.Write(c.name, c.content);
        EXPECT_EQ(TrackFormatOfNamedFile(path), c.format) << c.name;
    }
}

TEST(TrackFormat, neverWaitsOnAPipeOrReadsAFolderNamedLikeALog) {
    testing::TrackTestFolder folder;
    ASSERT_EQ(::mkfifo((folder / "gps.log").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "gpslog").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "old.txt");
    EXPECT_EQ(TrackFormatOfFile(folder / "gps.log"), std::nullopt);
    EXPECT_EQ(TrackFormatOfFile(folder / "gpslog"), std::nullopt);
    EXPECT_EQ(TrackFormatOfNamedFile(folder / "gpslog"), std::nullopt);
    EXPECT_EQ(TrackFormatOfFile(folder / "old.txt"), std::nullopt);
}

}  // namespace
}  // namespace geotal
