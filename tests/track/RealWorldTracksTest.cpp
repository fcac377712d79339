// The shared collection of real tracks, when it is present: whatever the device or program
// that wrote a file, the readers give only fixes that can have happened, and, where gpsbabel
// reads the format, the same fixes as gpsbabel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "support/WholeFile.h"
#include "track/GpsBabel.h"
#include "track/TrackFileReader.h"
#include "track/TrackFolder.h"
#include "track/TrackFormat.h"
#include "track/TrackPointMatchers.h"
#include "track/TrackTestFolder.h"
#include "track/ZipMember.h"

namespace geotal {
namespace {

std::string RealTracksFolder() {
    const char* chosen = std::getenv("GEOTAL_REALWORLD_TRACKS");
    return chosen != nullptr ? chosen : GEOTAL_REALWORLD_TRACKS;
}

// The files of more/ are sorted by format into folders, some without an extension.
std::optional<TrackFormat> FormatOf(const std::filesystem::path& path) {
    const std::string folder = path.parent_path().filename().string();
    if (folder == "nmea") {
        return TrackFormat::Nmea;
    }
    if (folder == "kml" || folder == "tcx") {
        return folder == "kml" ? TrackFormat::Kml : TrackFormat::Tcx;
    }
    return TrackFormatOfFile(path.string());
}

std::vector<std::filesystem::path> TrackFiles(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
        if (entry.is_regular_file() && entry.path().filename() != "SOURCES.md" &&
            FormatOf(entry.path())) {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(RealWorldTracks, giveNoPointAtZeroZeroOffTheGlobeOrAtTimeZero) {
    const std::filesystem::path folder = RealTracksFolder();
    if (!std::filesystem::is_directory(folder)) {
        GTEST_SKIP() << folder << " is not present";
    }
    std::map<std::string, int> points;
    for (const std::filesystem::path& path : TrackFiles(folder)) {
        TrackStore store;
        const TrackFormat format = *FormatOf(path);
        EXPECT_TRUE(ReadTrackFile(path.string(), format, store).readable) << path;
        EXPECT_EQ(testing::FirstUnrealFix(store), "") << path;
        points[TrackFormatName(format)] += store.Count();
    }
    for (const auto& [format, count] : points) {
        EXPECT_GT(count, 0) << format;
        RecordProperty(format, count);
    }
}

struct BabelCase {
    const char* file;         // under the collection's folder
    const char* babelFormat;  // gpsbabel's name for it
    TrackFormat format;
    // Where gpsbabel puts the points: a CSV file gives it waypoints, NMEA a track, KML both;
    // TCX laps and course points are waypoints to it, not points of the track.
    testing::BabelPoints which;
    // gpsbabel gives an IGC log's altitude from the pressure, and, when the log has both, a
    // second track with the GNSS altitude; Geotal takes the GNSS altitude first, as GPS tracks
    // have it. Those are compared by position and time, once per time.
    bool positionAndTimeOnly = false;
};

constexpr const char* kFit = "garmin_fit,recoverymode";
constexpr auto kWaypoints = testing::BabelPoints::Waypoints;
constexpr auto kTracks = testing::BabelPoints::Tracks;
constexpr auto kBoth = testing::BabelPoints::Both;

// Every file of a format gpsbabel reads, except where a comment says why it differs.
const BabelCase kBabelCases[] = {
    {"csv/gpsbabel-bike~unicsv.csv", "unicsv", TrackFormat::Csv, kWaypoints},
    {"csv/gpsbabel-garminconnect.csv", "unicsv", TrackFormat::Csv, kWaypoints},
    {"csv/gpsbabel-iblue747.csv", "unicsv", TrackFormat::Csv, kWaypoints},
    {"csv/gpsbabel-mtk_logger.csv", "unicsv", TrackFormat::Csv, kWaypoints},
    {"csv/gpsbabel-mtk_logger_m241.csv", "unicsv", TrackFormat::Csv, kWaypoints},
    {"csv/gpsbabel-nmeadatetime.csv", "unicsv", TrackFormat::Csv, kWaypoints},
    {"more/nmea/gpsbabel-nmea", "nmea", TrackFormat::Nmea, kTracks},
    {"more/nmea/gpsbabel-nmea_utf16", "nmea", TrackFormat::Nmea, kTracks},
    {"more/nmea/gpsbabel-backfilldate.nmea", "nmea", TrackFormat::Nmea, kTracks},
    {"more/nmea/gpsbabel-amod-nmea", "nmea", TrackFormat::Nmea, kTracks},
    {"more/nmea/gpsbabel-adddate.nmea", "nmea", TrackFormat::Nmea, kTracks},
    {"more/nmea/gpsbabel-addmultipledaysfwd.nmea", "nmea", TrackFormat::Nmea, kTracks},
    {"more/nmea/exiftool-Geotag2.log", "nmea", TrackFormat::Nmea, kTracks},
    {"more/nmea/pynmeagps-pygpsdata-um981.log", "nmea", TrackFormat::Nmea, kTracks},
    {"more/nmea/pynmeagps-pygpsdata-nmeabadck.log", "nmea", TrackFormat::Nmea, kTracks},
    {"more/nmea/pynmeagps-pygpsdata-nmeastartup.log", "nmea", TrackFormat::Nmea, kTracks},
    // gpsbabel refuses the two files whose gx:Track has more coords than whens, and spreads a
    // TimeSpan over the points of a LineString (skydrop.kml), which are no fixes at those times.
    {"more/kml/dawarich-gx_track.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/dawarich-points_with_timestamps.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/dawarich-timespan.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/exiftool-Geotag.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/giscore-YearDates.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/giscore-YearMonthDates.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/giscore-dates.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/giscore-timestamps.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/giscore-trackData.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/giscore-trackNoRootNs.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/gpsbabel-Placemark-Track-1.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/gpsbabel-google_ext.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/gpsbabel-opentracks.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/gpsbabel-xsddatetime.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/opentracks-kml22_order_location_and_when.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/opentracks-kml22_time_decreases.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/opentracks-kml22_without_locations.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/opentracks-legacy_kml22_statistics_marker.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/togeojson-gxmultitrack.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/togeojson-gxtrack.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/togeojson-multitrack.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/togeojson-non_gx_multitrack.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/togeojson-timespan.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/kml/viking-Stonehenge.kml", "kml", TrackFormat::Kml, kBoth},
    {"more/tcx/dawarich-no_gps.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    {"more/tcx/dawarich-running.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    {"more/tcx/gpsbabel-gtrnctr-readcp.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    {"more/tcx/gpsbabel-history.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    {"more/tcx/gpsbabel-kona2013.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    {"more/tcx/tcxparser-sup_activity_1.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    {"more/tcx/tcxparser-test.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    {"more/tcx/togeojson-garmin_connect.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    {"more/tcx/togeojson-sample.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    {"more/tcx/viking-Stonehenge.tcx", "gtrnctr", TrackFormat::Tcx, kTracks},
    // Damaged files are compared with gpsbabel's recovery mode, which also reads up to the
    // damage. Left out: exiftool-Garmin.fit, whose compressed timestamps gpsbabel counts on
    // from the last full timestamp by adding the five-bit offset, where the protocol rolls the
    // low five bits over (FitReaderTest checks that rule).
    {"more/fit/fitparse-Edge810-Vector-2013-08-16-15-35-10.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/fitparse-activity-unexpected-eof.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/fitparse-compressed-speed-distance.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/fitparse-coros-pace-2-cycling-misaligned-fields.fit", kFit, TrackFormat::Fit,
     kTracks},
    {"more/fit/fitparse-elemnt-bolt-no-application-id-inside-developer-data-id.fit", kFit,
     TrackFormat::Fit, kTracks},
    {"more/fit/fitparse-garmin-edge-820-bike.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/fitparse-garmin-fenix-5-run.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/fitparse-sample-activity-indoor-trainer.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/fitparse-strava-android-app-201.10-b1218918.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/gpsbabel-fit-sample.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/gpsbabel-fitlocations-sample.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/gpsbabel-garmin-edge-800.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/gpsbabel-garmin-forerunner-10.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/gpsbabel-garmin-oregon-700.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/gpsbabel-garmin-vivosmart-hr.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/gpsbabel-lezyne_super_gps-garmin_fit-sample-bad-endian.fit", kFit, TrackFormat::Fit,
     kTracks},
    {"more/fit/gpsbabel-wahoo-element-bolt.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/fit/viking-Stonehenge.fit", kFit, TrackFormat::Fit, kTracks},
    {"more/igc/exiftool-Geotag.igc", "igc", TrackFormat::Igc, kTracks, true},
    {"more/igc/gpsbabel-27GLQKF3.igc", "igc", TrackFormat::Igc, kTracks, true},
    {"more/igc/gpsbabel-92GV66G1.igc", "igc", TrackFormat::Igc, kTracks, true},
    {"more/igc/igcparser-2016-11-08-xcs-aaa-02.igc", "igc", TrackFormat::Igc, kTracks, true},
    {"more/igc/igcparser-20180427.igc", "igc", TrackFormat::Igc, kTracks, true},
    {"more/igc/igcparser-20211015.igc", "igc", TrackFormat::Igc, kTracks, true},
    {"more/igc/igcparser-20241007TZN.igc", "igc", TrackFormat::Igc, kTracks, true},
    {"more/igc/igcparser-lad_lod_extensions.igc", "igc", TrackFormat::Igc, kTracks, true},
};

TEST(RealWorldTracks, giveTheSameFixesAsGpsbabel) {
    const std::filesystem::path folder = RealTracksFolder();
    if (!std::filesystem::is_directory(folder) || !testing::HaveGpsBabel()) {
        GTEST_SKIP() << "needs " << folder << " and gpsbabel";
    }
    for (const BabelCase& c : kBabelCases) {
        const std::string path = (folder / c.file).string();
        const auto theirs = testing::GpsBabelPoints(c.babelFormat, path, c.which);
        ASSERT_TRUE(theirs) << path;
        TrackStore store;
        ReadTrackFile(path, c.format, store);
        std::vector<TrackPoint> ours = testing::PointsOf(store);
        std::vector<TrackPoint> expected = *theirs;
        if (c.positionAndTimeOnly) {
            std::set<double> times;
            std::vector<TrackPoint> once;
            for (TrackPoint p : expected) {
                if (times.insert(p.time).second) {
                    p.elevation.reset();
                    once.push_back(p);
                }
            }
            expected = once;
        }
        EXPECT_EQ(testing::FirstDifference(ours, expected), "") << path;
    }
}

// pynmeagps-pygpsdata-nmea4.log is left out of the comparison: gpsbabel joins the GGA's
// altitude to an RMC of the same second whose position is 100 degrees away.
TEST(RealWorldTracks, nmeaSentencesOfOneSecondFarApartAreTwoFixes) {
    const std::string path = RealTracksFolder() + "/more/nmea/pynmeagps-pygpsdata-nmea4.log";
    if (!std::filesystem::is_regular_file(path)) {
        GTEST_SKIP() << path << " is not present";
    }
    TrackStore store;
    ReadTrackFile(path, TrackFormat::Nmea, store);
    const double time = testing::Ole(2021, 3, 6, 10, 36, 7);
    const double latitude = 53 + 27.03942 / 60;
    const double longitude = 2 + 14.42462 / 60;
    ASSERT_EQ(store.Count(), 2);
    EXPECT_NEAR(store.At(0).longitude, -(longitude + 100) * 3600, 1e-6);  // the RMC's
    EXPECT_FALSE(store.At(0).elevation);
    EXPECT_NEAR(store.At(1).longitude, -longitude * 3600, 1e-6);  // the GGA's
    EXPECT_EQ(store.At(1).elevation, 56.0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(store.At(i).latitude, latitude * 3600, 1e-6);
        EXPECT_NEAR(store.At(i).time, time, 1e-9);
    }
}

// Logs whose names have no ending: named on their own, or in a folder, they read as NMEA.
TEST(RealWorldTracks, logsWithoutAnEndingAreToldByTheirContent) {
    for (const char* name : {"gpsbabel-nmea", "gpsbabel-amod-nmea", "gpsbabel-nmea_utf16"}) {
        const std::string path = RealTracksFolder() + "/more/nmea/" + name;
        if (!std::filesystem::is_regular_file(path)) {
            GTEST_SKIP() << path << " is not present";
        }
        TrackStore asNmea;
        const int positions = ReadTrackFile(path, TrackFormat::Nmea, asNmea).positions;
        EXPECT_GT(positions, 0) << name;
        EXPECT_EQ(TrackFormatOfFile(path), TrackFormat::Nmea) << name;
        TrackStore alone;
        EXPECT_EQ(LoadTrackFile(path, alone).positionCount, positions) << name;
        EXPECT_EQ(testing::PointsOf(alone), testing::PointsOf(asNmea)) << name;
    }
}

// gpsbabel reads GeoJSON without times and has no reader for Google location history here:
// these counts were checked by reading each file, entry by entry.
struct CountCase {
    const char* file;
    int positions;
};

const CountCase kCountCases[] = {
    {"more/geojson/dawarich-geojson_example.json", 6},
    {"more/geojson/dawarich-google_takeout_example.json", 1},
    {"more/geojson/dawarich-gpslogger_example.json", 1},
    {"more/geojson/dawarich-overland_geodata.json", 1},  // the other feature has no place
    {"more/geojson/dawarich-various_fields.geojson", 3},
    {"more/geojson/dawarich-watched_2023_January.json", 5},
    {"more/takeout/dawarich-records.json", 3},
    {"more/takeout/dawarich-watched_Records.json", 5},
    {"more/takeout/dawarich-semantic_history.json", 0},  // waypoints only, untimed
    {"more/takeout/dawarich-semantic_history_with_bom.json", 2},
    {"more/takeout/dawarich-timeline_new_format.json", 7},
    {"more/takeout/dawarich-timeline_edits.json", 1},
    {"more/takeout/dawarich-location-history.json", 12},
    {"more/takeout/dawarich-phone_takeout_array_timeline_path.json", 3},
    {"more/takeout/dawarich-lh_with_activitySegment_with_startLocation.json", 1},
    {"more/takeout/"
     "dawarich-lh_with_placeVisit_with_location_with_coordinates_with_timestampMs.json",
     1},
    // Before a visit's simplifiedRawPath was read: 256 and 364, 46 and 20 points fewer (44 and
    // 18 of them at times no other point of the file has).
    {"more/takeout/gpsbabel-2013_MAY.json", 302},
    {"more/takeout/gpsbabel-2013_JUNE.json", 384},
    {"more/takeout/dawarich-device_settings.json", -1},  // not a track file
};

TEST(RealWorldTracks, jsonFilesGiveTheirTimedPlaces) {
    const std::filesystem::path folder = RealTracksFolder();
    if (!std::filesystem::is_directory(folder)) {
        GTEST_SKIP() << folder << " is not present";
    }
    for (const CountCase& c : kCountCases) {
        const std::string path = (folder / c.file).string();
        const std::optional<TrackFormat> format = TrackFormatOfFile(path);
        ASSERT_EQ(format.has_value(), c.positions >= 0) << path;
        if (format) {
            TrackStore store;
            EXPECT_EQ(ReadTrackFile(path, *format, store).positions, c.positions) << path;
        }
    }
}

// gpsbabel does not open zip archives: it reads the KML that the archive holds.
TEST(RealWorldTracks, kmzArchivesGiveTheSameFixesAsGpsbabelFromTheirKml) {
    const std::filesystem::path folder = RealTracksFolder() + "/more/kmz";
    if (!std::filesystem::is_directory(folder) || !testing::HaveGpsBabel()) {
        GTEST_SKIP() << "needs " << folder << " and gpsbabel";
    }
    int archives = 0;
    for (const std::filesystem::path& path : TrackFiles(folder)) {
        testing::TrackTestFolder temp;
        WholeFile archive;
        std::string kml;
        std::string error;
        ASSERT_TRUE(ReadWholeFile(path.string(), archive, error)) << error;
        ASSERT_TRUE(ReadZipMember(archive.bytes, ".kml", "doc.kml", kml, error)) << path << error;
        const auto theirs =
            testing::GpsBabelPoints("kml", temp.Write("doc.kml", kml), testing::BabelPoints::Both);
        ASSERT_TRUE(theirs) << path;
        TrackStore store;
        EXPECT_TRUE(ReadTrackFile(path.string(), TrackFormat::Kmz, store).readable);
        EXPECT_EQ(testing::FirstDifference(testing::PointsOf(store), *theirs), "") << path;
        ++archives;
    }
    EXPECT_EQ(archives, 3);
}

}  // namespace
}  // namespace geotal
