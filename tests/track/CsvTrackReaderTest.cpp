#include "track/CsvTrackReader.h"

#include <gtest/gtest.h>

#include "track/CsvFields.h"
#include "track/CsvLines.h"
#include "track/TrackFileReader.h"
#include "track/TrackPointMatchers.h"
#include "track/TrackTestFolder.h"

namespace geotal {
namespace {

using testing::Ole;
using testing::PointsOf;

std::vector<TrackPoint> ParseCsv(const std::string& text) {
    TrackStore store;
    ReadCsvTrackText(text, store);
    return PointsOf(store);
}

std::string Sixty(const std::string& start) {
    std::string line = start;
    for (int i = 5; i < 60; ++i) {
        line += "," + std::to_string(i);
    }
    return line;
}

struct SplitCase {
    const char* line;
    int count;
    std::vector<std::string> fields;  // the first ones; the rest must be empty
};

TEST(CsvFields, followTheSeparatorBlankAndQuoteRules) {
    const SplitCase cases[] = {
        {"a,b,c", 3, {"a", "b", "c "}},
        {"  a,  b ,c", 3, {"  a", "b ", "c "}},
        {"a,,b", 3, {"a", "", "b "}},
        {"a,b,", 2, {"a", "b"}},
        {"\"x,y\",z", 3, {"x,y", "", "z "}},
        {"\"open,z", 2, {"open", "z "}},
        {"", 1, {" "}},
    };
    CsvFields fields;
    for (const SplitCase& c : cases) {
        fields[10] = "stale";
        EXPECT_EQ(SplitFields(c.line, ",", fields), c.count) << c.line;
        for (size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(fields[i], i < c.fields.size() ? c.fields[i] : "") << c.line << " #" << i;
        }
    }
}

TEST(CsvFields, keepAtMostFiftyFields) {
    CsvFields fields;
    EXPECT_EQ(SplitFields(Sixty("0,1,2,3,4"), ",", fields), 50);
    EXPECT_EQ(fields[49], "49");
}

TEST(CsvLines, areTrimmedAndShortOnesDropped) {
    const std::vector<std::string_view> expected = {"line one", "x,y", "last line"};
    LineSplitter splitter("ab\n  line one  \n\n \nx,y\nz\nlast line");
    std::vector<std::string_view> lines;
    for (std::string_view line; splitter.Next(line);) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines, expected);
}

TEST(CsvTrackReader, readsTheExampleLine) {
    EXPECT_EQ(ParseCsv("17,2010-05-01,10:20:30,47.5,-8.25,412\n"),
              (std::vector<TrackPoint>{{171000, -29700, 0, Ole(2010, 5, 1, 10, 20, 30)}}));
}

TEST(CsvTrackReader, skipsHeaderAndLinesWithoutLatitude) {
    const std::string csv =
        "No,Date,Time,Latitude,Longitude\n"
        "1,2010-05-01,10:00:00,47.5,8\n"
        "2,2010-05-01,10:00:01,0.00005,8\n"
        "3,2010-05-01,10:00:02,-0.0002,0\n"
        "4,2010-05-01,10:00:03\n"
        "# comment\n"
        "5,2010-05-01,10:00:04,1,1\n";
    EXPECT_EQ(ParseCsv(csv), (std::vector<TrackPoint>{
                                 {171000, 28800, 0, Ole(2010, 5, 1, 10, 0, 0)},
                                 {-0.0002 * 3600.0, 0, 0, Ole(2010, 5, 1, 10, 0, 2)},
                                 {3600, 3600, 0, Ole(2010, 5, 1, 10, 0, 4)},
                             }));
}

TEST(CsvTrackReader, takesFieldsOneToFourOfALongLine) {
    EXPECT_EQ(ParseCsv(Sixty("0,2010-05-01,10:20:30,1,2") + "\n"),
              (std::vector<TrackPoint>{{3600, 7200, 0, Ole(2010, 5, 1, 10, 20, 30)}}));
}

TEST(CsvTrackReader, skipsAndCountsLinesWithAnUnreadableTimeOrOffTheGlobe) {
    const std::string csv =
        "1,01/05/10,10:20:30,1,2\n"
        "2,2010-05-01,noon,1,2\n"
        "3,2010-05-01,25:00:00,1,2\n"
        "4,2010-05-01,10:20:30,91,2\n"
        "5,2010-05-01,10:20:30,1,-540\n"
        "6,2010-05-01,10:20:30,nan,2\n"
        "7,2010-05-01,10:20:30,1,1e999\n"
        "8,2010-05-01,10:20:30,-90,180\n";
    TrackStore store;
    const SkippedPoints skipped = ReadCsvTrackText(csv, store);
    EXPECT_EQ(PointsOf(store),
              (std::vector<TrackPoint>{{-324000, 648000, 0, Ole(2010, 5, 1, 10, 20, 30)}}));
    EXPECT_EQ(skipped, (SkippedPoints{0, 3, 4}));
}

// Loggers that put a record type before the date, or the date after the position: in the
// fixed layout, times and speeds must not become coordinates.
TEST(CsvTrackReader, fixedLayoutAddsNothingFromAFileInAnotherLayout) {
    TrackStore store;
    CsvTrackParser parser(store);
    for (const char* line : {"INDEX,RCR,DATE,TIME,VALID,LATITUDE,N/S,LONGITUDE,E/W",
                             "1,T,2005/05/01,10:12:47,Unknown,51.311770,N,12.413179,E",
                             "No,Latitude,Longitude,Altitude,Speed,Date,Time",
                             "1,40.781704,-73.960901,58.2,0.00,2013/04/30,14:23:57"}) {
        parser.Feed(line);
    }
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(parser.skipped().Total(), 2);
}

TEST(CsvTrackReader, readsTheLastLineWithoutLineEndAndWindowsLineEnds) {
    testing::TrackTestFolder folder;
    const std::string csv = "h,d,t,lat,lon\n1,2010-05-01,10:20:30,1,2\n2,2010-05-01,10:20:31,3,4";
    TrackStore unix, windows;
    EXPECT_TRUE(ReadTrackFile(folder.Write("unix.csv", csv), TrackFormat::Csv, unix).readable);
    EXPECT_TRUE(ReadTrackFile(folder.Write("win.csv", testing::WithWindowsLineEnds(csv)),
                              TrackFormat::Csv, windows)
                    .readable);
    EXPECT_EQ(PointsOf(unix),
              (std::vector<TrackPoint>{{3600, 7200, 0, Ole(2010, 5, 1, 10, 20, 30)},
                                       {10800, 14400, 0, Ole(2010, 5, 1, 10, 20, 31)}}));
    EXPECT_EQ(PointsOf(windows), PointsOf(unix));
}

}  // namespace
}  // namespace geotal
