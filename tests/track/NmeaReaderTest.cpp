#include "track/NmeaReader.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "track/TrackPointMatchers.h"

namespace geotal {
namespace {

using testing::At;
using testing::High;
using testing::Ole;
using testing::PointsOf;

// The sentence with its checksum, as a receiver writes it.
std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

std::string Rmc(const char* time, const char* date, const char* status = "A") {
    return Sentence(std::string("GPRMC,") + time + "," + status +
                    ",4730.0000,N,00815.0000,E,0.1,0.0," + date + ",,");
}

// South and west of the RMC's place unless told.
std::string Gga(const char* time, const char* altitude, const char* quality = "1",
                const char* place = "4730.0000,S,00815.0000,W") {
    return Sentence(std::string("GNGGA,") + time + "," + place + "," + quality + ",08,1.0," +
                    altitude + ",M,48.0,M,,");
}

constexpr const char* kNearTheRmc = "4730.0060,N,00815.0060,E";  // 14 m off

struct NmeaCase {
    const char* name;
    std::string text;
    std::vector<TrackPoint> points;
};

const std::vector<NmeaCase> kNmeaCases = {
    {"RMC and GGA of one moment and place are one point: the RMC's date, the GGA's altitude, "
     "the first position",
     Gga("102030", "412.5", "1", kNearTheRmc) + Rmc("102030", "010510"),
     {High(47.5001, 8.2501, 412.5, Ole(2010, 5, 1, 10, 20, 30))}},
    {"RMC and GGA of one moment far apart are two points, the altitude the GGA's alone",
     Rmc("102030", "010510") + Gga("102030", "412.5"),
     {At(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 30)),
      High(-47.5, -8.25, 412.5, Ole(2010, 5, 1, 10, 20, 30))}},
    {"within 300 m the sentences are one fix, beyond it two",
     Rmc("102030", "010510") + Gga("102030", "1", "1", "4730.1600,N,00815.0000,E") +
         Rmc("102031", "010510") + Gga("102031", "2", "1", "4730.1650,N,00815.0000,E"),
     {High(47.5, 8.25, 1, Ole(2010, 5, 1, 10, 20, 30)), At(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 31)),
      High(47.50275, 8.25, 2, Ole(2010, 5, 1, 10, 20, 31))}},
    {"a longitude of 180 W is near one of 180 E",
     Sentence("GPRMC,102030,A,0000.1000,N,18000.0000,E,0.1,0.0,010510,,") +
         Gga("102030", "7", "1", "0000.1000,N,18000.0000,W"),
     {High(0.1 / 60, 180, 7, Ole(2010, 5, 1, 10, 20, 30))}},
    {"a space before or after a time reads alike",
     Sentence("GPRMC, 102030,A,4730.0000,N,00815.0000,E,0.1,0.0,010510,,") +
         Sentence("GPRMC,102031 ,A,4730.0000,N,00815.0000,E,0.1,0.0,010510,,") +
         Sentence("GPGGA,\t102032.5 ,4730.0000,N,00815.0000,E,1,08,1.0,3,M,48.0,M,,"),
     {At(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 30)), At(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 31)),
      High(47.5, 8.25, 3, Ole(2010, 5, 1, 10, 20, 32) + 0.5 / 86400)}},
    {"a GGA takes the last RMC date, the next day once past midnight",
     Rmc("235959", "311299") + Gga("235959.5", "1") + Gga("000001", "2"),
     {At(47.5, 8.25, Ole(1999, 12, 31, 23, 59, 59)),
      High(-47.5, -8.25, 1, Ole(1999, 12, 31, 23, 59, 59) + 0.5 / 86400),
      High(-47.5, -8.25, 2, Ole(2000, 1, 1, 0, 0, 1))}},
    {"GGA fixes before the first date take it back, before midnight the day before",
     Gga("235958", "1") + Gga("000000", "2") + Rmc("000001", "020310"),
     {High(-47.5, -8.25, 1, Ole(2010, 3, 1, 23, 59, 58)),
      High(-47.5, -8.25, 2, Ole(2010, 3, 2, 0, 0, 0)), At(47.5, 8.25, Ole(2010, 3, 2, 0, 0, 1))}},
    {"a ZDA gives the date too, one with a year of other than four digits none; void fixes are "
     "no points",
     Sentence("GPZDA,101010,01,05,2010,00,00") + Sentence("GPZDA,101011,01,05,5102030,00,00") +
         Rmc("101011", "010510", "V") + Gga("101012", "5", "0") + Gga("101013", "6"),
     {High(-47.5, -8.25, 6, Ole(2010, 5, 1, 10, 10, 13))}},
    {"text before the $ and a sentence without checksum are read",
     "12:00:01 > $GPRMC,102030.25,A,4730.0000,N,00815.0000,E,0.1,0.0,010510,,\n",
     {At(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 30) + 0.25 / 86400)}},
    {"Magellan track sentences, their altitude in metres or in feet",
     Sentence("PMGNTRK,4415.000,N,07630.000,W,00095,M,110833.53,A,,030409") +
         Sentence("PMGNTRK,4415.000,N,07630.000,W,00328,F,110834,A,,030409"),
     {High(44.25, -76.5, 95, Ole(2009, 4, 3, 11, 8, 33) + 0.53 / 86400),
      High(44.25, -76.5, 99.9744, Ole(2009, 4, 3, 11, 8, 34))}},
};

TEST(NmeaReader, joinsTheSentencesOfEachFixAndDatesThem) {
    for (const NmeaCase& c : kNmeaCases) {
        TrackStore store;
        const TrackReadResult result = ReadNmeaText(c.text, store);
        const std::vector<TrackPoint> points = PointsOf(store);
        ASSERT_EQ(points.size(), c.points.size()) << c.name;
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_NEAR(points[i].latitude, c.points[i].latitude, 1e-6) << c.name;
            EXPECT_NEAR(points[i].longitude, c.points[i].longitude, 1e-6) << c.name;
            EXPECT_NEAR(points[i].time, c.points[i].time, 1e-9) << c.name;
            EXPECT_NEAR(points[i].elevation.value_or(0), c.points[i].elevation.value_or(0), 1e-9)
                << c.name;
            EXPECT_EQ(points[i].elevation.has_value(), c.points[i].elevation.has_value()) << c.name;
        }
        EXPECT_EQ(result.note, "") << c.name;
    }
}

TEST(NmeaReader, leavesOutSentencesWithAWrongChecksumAndSaysSo) {
    std::string damaged = Rmc("102031", "010510");
    damaged[20] = '9';  // one digit of the latitude changed after the checksum was made
    TrackStore store;
    const TrackReadResult result = ReadNmeaText(Rmc("102030", "010510") + damaged, store);
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(result.note, "1 sentence failed the checksum");
}

TEST(NmeaReader, countsFixesThatNeverGetADate) {
    TrackStore store;
    const TrackReadResult result = ReadNmeaText(Gga("102030", "1") + Gga("102031", "1"), store);
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(result.skipped, (SkippedPoints{0, 2, 0}));
    EXPECT_NE(result.note.find("no date"), std::string::npos) << result.note;
}

TEST(NmeaReader, readsUtf16LogsAsTheSameText) {
    const std::string text = Gga("102030", "412.5", "1", kNearTheRmc) + Rmc("102030", "010510");
    for (const bool bigEndian : {false, true}) {
        std::string wide = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char c : text) {
            wide += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        }
        TrackStore narrow;
        ReadNmeaText(text, narrow);
        TrackStore store;
        ReadNmeaText(wide, store);
        EXPECT_EQ(PointsOf(store), PointsOf(narrow)) << bigEndian;
        EXPECT_EQ(store.Count(), 1);
    }
}

}  // namespace
}  // namespace geotal
