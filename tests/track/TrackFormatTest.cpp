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
};

TEST(TrackFormat, isToldByTheNameOrForSomeNamesByTheFirstBytes) {
    testing::TrackTestFolder folder;
    for (const FormatCase& c : kFormatCases) {
        EXPECT_EQ(TrackFormatOfFile(folder.Write(c.name, c.content)), c.format) << c.name;
    }
}

TEST(TrackFormat, neverWaitsOnAPipeOrReadsAFolderNamedLikeALog) {
    testing::TrackTestFolder folder;
    ASSERT_EQ(::mkfifo((folder / "gps.log").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "old.txt");
    EXPECT_EQ(TrackFormatOfFile(folder / "gps.log"), std::nullopt);
    EXPECT_EQ(TrackFormatOfFile(folder / "old.txt"), std::nullopt);
}

}  // namespace
}  // namespace geotal
