// Track files that a logger or an editor wrote as UTF-16, in either byte order, with or
// without a byte order mark: each reads as the same file in UTF-8.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "track/TrackFileReader.h"
#include "track/TrackPointMatchers.h"
#include "track/TrackTestFolder.h"

namespace geotal {
namespace {

using testing::PointsOf;

// The UTF-8 text (characters up to U+FFFF) as UTF-16.
std::string Utf16(const std::string& text, bool bigEndian, bool byteOrderMark) {
    std::string wide;
    auto unit = [&](std::uint32_t u) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        wide += bigEndian ? std::string{high, low} : std::string{low, high};
    };
    if (byteOrderMark) {
        unit(0xFEFF);
    }
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
        std::uint32_t code = length == 1 ? c : length == 2 ? c & 0x1F : c & 0x0F;
        for (int k = 1; k < length; ++k) {
            code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        unit(code);
        i += static_cast<std::size_t>(length);
    }
    return wide;
}

struct Utf16Case {
    const char* name;
    TrackFormat format;
    std::string text;  // UTF-8, CR LF line ends
    int points;
};

const Utf16Case kCases[] = {
    {"walk.gpx", TrackFormat::Gpx,
     "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<gpx><trk><name>Z\xC3\xBCrich \xE2\x86\x92 "
     "Bern</name><trkseg>\r\n"
     "<trkpt lat=\"47.5\" lon=\"8.25\"><ele>412.5</ele><time>2010-05-01T10:20:30Z</time>"
     "</trkpt>\r\n<trkpt lat=\"47.6\" lon=\"8.26\"><time>2010-05-01T10:20:31Z</time></trkpt>\r\n"
     "</trkseg></trk></gpx>\r\n",
     2},
    {"fixed.csv", TrackFormat::Csv,
     "No,Date,Time,Latitude,Longitude\r\n1,2010-05-01,10:20:30,47.5,8.25\r\n"
     "2,2010-05-01,10:20:31,47.6,8.26\r\n",
     2},
    {"named.csv", TrackFormat::Csv,
     "Ort,Latitude,Longitude,Date,Time\r\nZ\xC3\xBCrich,47.5,8.25,2010/05/01,10:20:30\r\n", 1},
    {"trip.kml", TrackFormat::Kml,
     "<?xml version=\"1.0\"?>\r\n<kml><Placemark><name>Z\xC3\xBCrich</name>"
     "<TimeStamp><when>2024-01-15T12:00:00Z</when></TimeStamp>\r\n"
     "<Point><coordinates>8.25,47.5</coordinates></Point></Placemark></kml>\r\n",
     1},
    {"gps.nmea", TrackFormat::Nmea,
     "$GPRMC,102030,A,4730.0000,N,00815.0000,E,0.1,0.0,010510,,\r\n"
     "$GPGGA,102030,4730.0000,N,00815.0000,E,1,08,1.0,412.5,M,48.0,M,,\r\n",
     1},
};

TEST(Utf16TrackFiles, readAsTheSameFileInUtf8) {
    testing::TrackTestFolder folder;
    for (const Utf16Case& c : kCases) {
        TrackStore narrow;
        const TrackFileReport plain = ReadTrackFile(folder.Write(c.name, c.text), c.format, narrow);
        ASSERT_EQ(plain.positions, c.points) << c.name << ": " << plain.note;
        for (const auto& [bigEndian, byteOrderMark] :
             {std::pair{false, true}, {true, true}, {false, false}, {true, false}}) {
            TrackStore wide;
            const TrackFileReport report = ReadTrackFile(
                folder.Write(c.name, Utf16(c.text, bigEndian, byteOrderMark)), c.format, wide);
            EXPECT_EQ(PointsOf(wide), PointsOf(narrow))
                << c.name << (bigEndian ? " big endian" : " little endian")
                << (byteOrderMark ? " with" : " without") << " a byte order mark";
            EXPECT_EQ(report.note, plain.note) << c.name;
        }
    }
}

}  // namespace
}  // namespace geotal
