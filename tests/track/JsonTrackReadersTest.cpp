// GeoJSON logs and Google location history: the shapes each program writes.
#include <gtest/gtest.h>

#include <cstdint>

#include "track/GeoJsonReader.h"
#include "track/GoogleHistoryReader.h"
#include "track/JsonElements.h"
#include "track/TrackPointMatchers.h"

namespace geotal {
namespace {

using testing::At;
using testing::High;
using testing::Ole;
using testing::PointsOf;

struct JsonCase {
    const char* name;
    std::string json;
    std::vector<TrackPoint> points;
    std::string note;
};

using JsonReader = TrackReadResult (*)(std::string_view, TrackStore&, std::size_t);

// Every element parsed into a tree, and every element read from its text as a huge one is:
// both must give the same.
constexpr std::size_t kEveryElementAsATree = SIZE_MAX;
constexpr std::size_t kEveryElementFromItsText = 0;

void ExpectCase(JsonReader read, const JsonCase& c, std::size_t treeBytes) {
    SCOPED_TRACE(treeBytes == 0 ? "read from the text" : "parsed as a tree");
    TrackStore store;
    const TrackReadResult result = read(c.json, store, treeBytes);
    const std::vector<TrackPoint> points = PointsOf(store);
    ASSERT_EQ(points.size(), c.points.size()) << c.name;
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(points[i].latitude, c.points[i].latitude, 1e-6) << c.name;
        EXPECT_NEAR(points[i].longitude, c.points[i].longitude, 1e-6) << c.name;
        EXPECT_NEAR(points[i].time, c.points[i].time, 1e-9) << c.name;
        EXPECT_EQ(points[i].elevation, c.points[i].elevation) << c.name;
        EXPECT_EQ(points[i].elevation.has_value(), c.points[i].elevation.has_value()) << c.name;
    }
    EXPECT_EQ(result.note, c.note) << c.name;
}

void ExpectPoints(JsonReader read, const std::vector<JsonCase>& cases) {
    for (const JsonCase& c : cases) {
        for (const std::size_t treeBytes : {kEveryElementAsATree, kEveryElementFromItsText}) {
            ExpectCase(read, c, treeBytes);
        }
    }
}

const std::vector<JsonCase> kGeoJsonCases = {
    {"GPSLogger: a FeatureCollection of Points with time and altitude properties",
     R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":{"type":"Point",
        "coordinates":[106.5,10.75]},"properties":{"altitude":17.5,
        "time":"2024-11-03T16:30:11.500+07:00"}}]})",
     {High(10.75, 106.5, 17.5, Ole(2024, 11, 3, 9, 30, 11) + 0.5 / 86400)},
     ""},
    {"Overland: a locations list with timestamps; the third coordinate is the altitude",
     R"({"locations":[{"type":"Feature","geometry":{"type":"Point","coordinates":[-122.5,37.25,12]},
        "properties":{"timestamp":"2015-10-01T08:00:00-0700","altitude":0}}]})",
     {High(37.25, -122.5, 12, Ole(2015, 10, 1, 15, 0, 0))},
     ""},
    {"OwnTracks: tst in seconds since 1970, in a bare array",
     R"([{"type":"Feature","geometry":{"type":"Point","coordinates":[8.25,47.5]},
        "properties":{"tst":1272709230}}])",
     {At(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 30))},
     ""},
    {"lines with coordTimes give their points; lines without say so",
     R"({"type":"FeatureCollection","bbox":[1,2,3,4],"features":[
        {"type":"Feature","geometry":{"type":"LineString","coordinates":[[1,2],[3,4]]},
         "properties":{"coordTimes":["2010-05-01T10:20:30Z","2010-05-01T10:20:31Z"]}},
        {"type":"Feature","geometry":{"type":"MultiLineString","coordinates":[[[5,6]],[[7,8]]]},
         "properties":{"coordTimes":[["2010-05-01T10:20:32Z"],["2010-05-01T10:20:33Z"]]}},
        {"type":"Feature","geometry":{"type":"LineString","coordinates":[[1,2],[3,4]]},
         "properties":{}}]})",
     {At(2, 1, Ole(2010, 5, 1, 10, 20, 30)), At(4, 3, Ole(2010, 5, 1, 10, 20, 31)),
      At(6, 5, Ole(2010, 5, 1, 10, 20, 32)), At(8, 7, Ole(2010, 5, 1, 10, 20, 33))},
     "1 line without coordTimes gave no points"},
    {"a broken file gives the features before the damage",
     R"({"features":[{"type":"Feature","geometry":{"type":"Point","coordinates":[8.25,47.5]},
        "properties":{"time":"2010-05-01T10:20:30Z"}},{"type":"Feat)",
     {At(47.5, 8.25, Ole(2010, 5, 1, 10, 20, 30))},
     "the JSON is broken near byte 140; the points before it were read"},
};

TEST(GeoJsonReader, readsTheFeaturesOfEachLogger) {
    ExpectPoints(ReadGeoJsonText, kGeoJsonCases);
}

TEST(GeoJsonReader, countsFeaturesWithoutPlaceOrTime) {
    for (const std::size_t treeBytes : {kEveryElementAsATree, kEveryElementFromItsText}) {
        TrackStore store;
        const TrackReadResult result = ReadGeoJsonText(
            R"({"locations":[{"type":"Feature","properties":{"timestamp":"2024-07-07T17:46:39Z"}},
            {"type":"Feature","geometry":{"type":"Point","coordinates":[1,2]},
             "properties":{"speed":4}},
            {"type":"Feature","geometry":{"type":"Point","coordinates":[1,2]}},
            {"type":"Feature","geometry":{"type":"LineString"}}, 7, "x", null]})",
            store, treeBytes);
        EXPECT_TRUE(store.IsEmpty());
        EXPECT_EQ(result.skipped, (SkippedPoints{4, 2, 0})) << treeBytes;
        EXPECT_EQ(result.note, "1 line without coordTimes gave no points") << treeBytes;
    }
}

const std::vector<JsonCase> kGoogleCases = {
    {"Records.json: E7 degrees, ISO timestamps or timestampMs, altitude",
     R"({"locations":[{"latitudeE7":533690550,"longitudeE7":-836950010,"altitude":35,
        "timestamp":"2012-12-15T14:21:29.460Z"},
        {"latitudeE7":10000000,"longitudeE7":20000000,"timestampMs":"1272709230000"}]})",
     {High(53.369055, -83.695001, 35, Ole(2012, 12, 15, 14, 21, 29) + 0.46 / 86400),
      At(1, 2, Ole(2010, 5, 1, 10, 20, 30))},
     ""},
    {"semantic history: activity ends, raw path points of activities and visits, and visits at "
     "their times",
     R"({"timelineObjects":[{"activitySegment":{
          "startLocation":{"latitudeE7":10000000,"longitudeE7":20000000},
          "endLocation":{"latitudeE7":30000000,"longitudeE7":40000000},
          "duration":{"startTimestamp":"2013-12-01T07:05:14Z","endTimestampMs":"1385881873000"},
          "simplifiedRawPath":{"points":[{"latE7":20000000,"lngE7":30000000,
                                          "timestamp":"2013-12-01T07:08:00Z"}]},
          "waypointPath":{"waypoints":[{"latE7":1,"lngE7":2},{"latE7":3,"lngE7":4}]}}},
        {"placeVisit":{"location":{"latitudeE7":50000000,"longitudeE7":60000000},
          "duration":{"startTimestamp":"2013-12-01T08:00:00Z",
                      "endTimestamp":"2013-12-01 10:00:00 +0100"},
          "simplifiedRawPath":{"points":[{"latE7":50100000,"lngE7":60100000,
                                          "timestamp":"2013-12-01T08:30:00Z"},
                                         {"latE7":50200000,"lngE7":60200000,
                                          "timestampMs":"1385888400000"}]}}}]})",
     {At(1, 2, Ole(2013, 12, 1, 7, 5, 14)), At(3, 4, Ole(2013, 12, 1, 7, 11, 13)),
      At(2, 3, Ole(2013, 12, 1, 7, 8, 0)), At(5, 6, Ole(2013, 12, 1, 8, 0, 0)),
      At(5, 6, Ole(2013, 12, 1, 9, 0, 0)), At(5.01, 6.01, Ole(2013, 12, 1, 8, 30, 0)),
      At(5.02, 6.02, Ole(2013, 12, 1, 9, 0, 0))},
     "2 waypoints without a time gave no points"},
    {"the phone's Timeline: path points, a visit, an activity and raw signals",
     R"({"semanticSegments":[
        {"startTime":"2024-06-15T09:00:00.000+02:00","endTime":"2024-06-15T10:00:00.000+02:00",
         "visit":{"topCandidate":{"placeLocation":{"latLng":"48.8566°, 2.3522°"}}}},
        {"startTime":"2024-06-15T10:00:00Z","endTime":"2024-06-15T10:30:00Z",
         "activity":{"start":{"latLng":"48.5°, 2.5°"},"end":{"latLng":"-48.5°, -2.5°"}}},
        {"startTime":"2024-06-15T10:30:00Z","endTime":"2024-06-15T11:00:00Z",
         "timelinePath":[{"point":"48.25°, 2.25°","time":"2024-06-15T10:35:00Z"}]}],
       "rawSignals":[{"position":{"LatLng":"48.75, 2.75","altitudeMeters":35.5,
                                  "timestamp":"2024-06-15T09:05:00Z"}}]})",
     {At(48.8566, 2.3522, Ole(2024, 6, 15, 7, 0, 0)),
      At(48.8566, 2.3522, Ole(2024, 6, 15, 8, 0, 0)), At(48.5, 2.5, Ole(2024, 6, 15, 10, 0, 0)),
      At(-48.5, -2.5, Ole(2024, 6, 15, 10, 30, 0)), At(48.25, 2.25, Ole(2024, 6, 15, 10, 35, 0)),
      High(48.75, 2.75, 35.5, Ole(2024, 6, 15, 9, 5, 0))},
     ""},
    {"the phone's array export: geo: places, path times as minutes after the start",
     R"([{"startTime":"2025-07-29T13:00:00.000Z","endTime":"2025-07-29T15:00:00.000Z",
          "timelinePath":[{"point":"geo:29.725358,-95.482259",
                           "durationMinutesOffsetFromStartTime":"5"}]},
         {"startTime":"2023-08-27T15:48:56.000-05:00","endTime":"2023-08-27T17:04:26.999-05:00",
          "visit":{"topCandidate":{"placeLocation":"geo:27.720022,-97.347951"}}}])",
     {At(29.725358, -95.482259, Ole(2025, 7, 29, 13, 5, 0)),
      At(27.720022, -97.347951, Ole(2023, 8, 27, 20, 48, 56)),
      At(27.720022, -97.347951, Ole(2023, 8, 27, 22, 4, 26) + 0.999 / 86400)},
     ""},
};

TEST(GoogleHistoryReader, readsEachKindOfExportAtItsTimes) {
    ExpectPoints(ReadGoogleHistoryText, kGoogleCases);
}

TEST(GoogleHistoryReader, countsRecordsWithoutTimeAndIgnoresEmptyEnds) {
    for (const std::size_t treeBytes : {kEveryElementAsATree, kEveryElementFromItsText}) {
        TrackStore store;
        const TrackReadResult result = ReadGoogleHistoryText(
            R"({"locations":[{"latitudeE7":10000000,"longitudeE7":20000000}],
            "timelineObjects":[{"activitySegment":{"startLocation":{},"endLocation":{},
              "duration":{"startTimestamp":"2013-12-01T07:05:14Z"}}},
              {"placeVisit":{"location":{"latitudeE7":1,"longitudeE7":2},
               "duration":{"startTimestamp":"2013-12-01T07:05:14Z"}}}]})",
            store, treeBytes);
        EXPECT_EQ(store.Count(), 1) << treeBytes;  // the visit's start; it names no end
        EXPECT_EQ(result.skipped, (SkippedPoints{0, 1, 0})) << treeBytes;
    }
}

// Elements beyond the tree's limit, as a long recording makes them: read from their text by
// default, they give what the tree gives.
TEST(JsonTrackReaders, readElementsLargerThanATreeFromTheirTextWithTheSamePoints) {
    constexpr int kPoints = 40'000;
    std::string coordinates;
    std::string times;
    std::string path;
    for (int i = 0; i < kPoints; ++i) {
        const std::string separator = i == 0 ? "" : ",";
        const std::string latitude = std::to_string(47 + i * 1e-5);
        const std::string longitude = std::to_string(8 - i * 1e-5);
        const std::string time = "\"2010-05-01T10:" + std::to_string(10 + i / 3600 % 50) + ":" +
                                 std::to_string(10 + i % 50) + "Z\"";
        coordinates += separator + "[" + longitude + "," + latitude + "," + std::to_string(i) + "]";
        times += separator + time;
        path += separator + "{\"point\":\"" + latitude + "\u00b0, " + longitude +
                "\u00b0\",\"time\":" + time + "}";
    }
    const std::string geoJson =
        R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":)"
        R"({"type":"LineString","coordinates":[)" +
        coordinates + R"(]},"properties":{"name":"a\"long\" walk","coordTimes":[)" + times +
        "]}}]}";
    const std::string google =
        R"({"semanticSegments":[{"startTime":"2010-05-01T10:00:00Z","timelinePath":[)" + path +
        "]}]}";
    ASSERT_GT(geoJson.size(), kJsonTreeBytes);
    ASSERT_GT(google.size(), kJsonTreeBytes);
    const struct {
        const char* name;
        JsonReader read;
        const std::string& json;
    } readers[] = {{"GeoJSON", ReadGeoJsonText, geoJson},
                   {"Google", ReadGoogleHistoryText, google}};
    for (const auto& [name, read, json] : readers) {
        TrackStore fromText;
        TrackStore asTree;
        const TrackReadResult byDefault = read(json, fromText, kJsonTreeBytes);
        read(json, asTree, kEveryElementAsATree);
        EXPECT_EQ(fromText.Count(), kPoints) << name;
        EXPECT_EQ(byDefault.note, "") << name;
        EXPECT_EQ(PointsOf(fromText), PointsOf(asTree)) << name;
    }
}

}  // namespace
}  // namespace geotal
