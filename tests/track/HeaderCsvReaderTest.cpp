#include "track/HeaderCsvReader.h"

#include <gtest/gtest.h>

#include "track/CsvTrackReader.h"
#include "track/TrackPointMatchers.h"

namespace geotal {
namespace {

using testing::Ole;
using testing::PointsOf;

struct HeaderCase {
    const char* name;
    std::string csv;
    std::vector<TrackPoint> points;
};

TrackPoint WithElevation(double latitude, double longitude, double elevation, double time) {
    return {latitude * 3600, longitude * 3600, elevation, time};
}

TrackPoint Flat(double latitude, double longitude, double time) {
    return {latitude * 3600, longitude * 3600, std::nullopt, time};
}

// The layouts of real loggers; each line of data gives one point.
const std::vector<HeaderCase> kHeaderCases = {
    {"columns in another order, with an altitude",
     "No,Latitude,Longitude,Altitude,Speed,Date,Time\n"
     "1,40.781704,-73.960901,58.2,0.00,2013/04/30,14:23:57\n",
     {WithElevation(40.781704, -73.960901, 58.2, Ole(2013, 4, 30, 14, 23, 57))}},
    {"hemisphere letters in their own columns, units after the height, milliseconds kept",
     "INDEX,RCR,DATE,TIME,VALID,LATITUDE,N/S,LONGITUDE,E/W,HEIGHT\n"
     "1,T,2008/01/27,13:03:22.836,No fix,57.5,S,12.25,W,98.470 m\n",
     {WithElevation(-57.5, -12.25, 98.47, Ole(2008, 1, 27, 13, 3, 22) + 0.836 / 86400)}},
    {"hemisphere letters after the numbers, compact date and time",
     "INDEX,TAG,DATE,TIME,LATITUDE N/S,LONGITUDE E/W,HEIGHT\n"
     "1,T,250724,173418,49.5N,125.25W,38\n",
     {WithElevation(49.5, -125.25, 38, Ole(2025, 7, 24, 17, 34, 18))}},
    {"one timestamp column, short names, any case, semicolons",
     "lat;LNG;TimeStamp;ele\n"
     "47.5;8.25;2010-05-01T10:20:30Z;\n",
     {Flat(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 30))}},
    {"seconds and milliseconds since 1970",
     "latitude,longitude,datetime\n"
     "1.5,2.5,1272709230\n"
     "1.5,2.5,1272709231000\n",
     {Flat(1.5, 2.5, Ole(2010, 5, 1, 10, 20, 30)), Flat(1.5, 2.5, Ole(2010, 5, 1, 10, 20, 31))}},
    {"comment lines before the header, local times with their offset, quoted fields",
     "#airframe_info, log_version=\"1.00\"\n"
     "#yyy-mm-dd, hh:mm:ss\n"
     "  Lcl Date, Lcl Time, UTCOfst, AtvWpt,     Latitude,    Longitude,  AltMSL\n"
     "2014-03-29, 22:50:22,  +02:00,   \"a,b\",   40.5, -111.75,  4503.9\n",
     {WithElevation(40.5, -111.75, 4503.9, Ole(2014, 3, 29, 20, 50, 22))}},
    {"a time column that holds the whole date-time",
     "name,time,lon,lat\n"
     "x,2010-05-01 10:20:30,8.25,47.5\n",
     {Flat(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 30))}},
};

TEST(HeaderCsvReader, readsTheLayoutsOfRealLoggersByTheirColumnNames) {
    for (const HeaderCase& c : kHeaderCases) {
        TrackStore store;
        const TrackReadResult result = ReadCsvTrack(c.csv, store);
        EXPECT_EQ(PointsOf(store), c.points) << c.name;
        for (std::size_t i = 0; i < c.points.size() && i < PointsOf(store).size(); ++i) {
            EXPECT_EQ(store.At(static_cast<int>(i)).elevation.has_value(),
                      c.points[i].elevation.has_value())
                << c.name;
        }
        EXPECT_EQ(result.note, "read by the names in its header row") << c.name;
    }
}

TEST(HeaderCsvReader, leavesAFileTheFixedLayoutReadsAsItWas) {
    // The header names the columns, but the fixed layout already finds a point.
    const std::string csv =
        "No,Date,Time,Latitude,Longitude,Altitude\n"
        "1,2010-05-01,10:20:30,47.5,8.25,400\n";
    TrackStore store;
    const TrackReadResult result = ReadCsvTrack(csv, store);
    EXPECT_EQ(PointsOf(store),
              (std::vector<TrackPoint>{Flat(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 30))}));
    EXPECT_FALSE(store.At(0).elevation);
    EXPECT_EQ(result.note, "");
}

TEST(HeaderCsvReader, countsLinesWithoutAFixAndSaysWhyAFileGivesNothing) {
    TrackStore store;
    const TrackReadResult counted = ReadCsvTrack(
        "Date,Time,Latitude,Longitude\n"
        "2010/05/01,10:20:30,,\n"
        "2010/05/01,nonsense,1,2\n"
        "2010/05/01,10:20:30,95,2\n"
        "2010/05/01,10:20:30,1,2\n",
        store);
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(counted.skipped, (SkippedPoints{1, 1, 1}));

    for (const char* csv : {"Speed,Heading,Date\n1,2,2010/05/01\n", "[Training]\nName,x\n",
                            "Latitude,Longitude\n1,2\n"}) {
        TrackStore nothing;
        const TrackReadResult result = ReadCsvTrack(csv, nothing);
        EXPECT_TRUE(nothing.IsEmpty()) << csv;
        EXPECT_NE(result.note.find("no header row names"), std::string::npos) << csv;
    }
}

TEST(HeaderCsvReader, findsTheColumnsOnlyWhenLatitudeLongitudeAndTimeAreNamed) {
    const auto columns = FindCsvColumns("No,Lat (deg),Lon (deg),Elevation [m],UTC");
    ASSERT_TRUE(columns);
    EXPECT_EQ(columns->latitude, 1);
    EXPECT_EQ(columns->longitude, 2);
    EXPECT_EQ(columns->elevation, 3);
    EXPECT_EQ(columns->dateTime, 4);
    EXPECT_FALSE(FindCsvColumns("Latitude,Longitude,Date"));
    EXPECT_FALSE(FindCsvColumns("Latitude,Date,Time"));
}

}  // namespace
}  // namespace geotal
