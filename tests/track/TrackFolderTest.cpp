#include "track/TrackFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "support/TraceLog.h"
#include "track/TrackTestFolder.h"

namespace geotal {
namespace {

// Writes down every call, as "begin:text:max", "pos:n", "pump", "end", "abort?".
class RecordingProgress final : public ProgressSink {
public:
    void Begin(const std::string& text, int maximum) override {
        calls.push_back("begin:" + text + ":" + std::to_string(maximum));
    }
    void SetPosition(int position) override { calls.push_back("pos:" + std::to_string(position)); }
    void Pump() override { calls.push_back("pump"); }
    bool AbortRequested() const override {
        const_cast<RecordingProgress*>(this)->calls.push_back("abort?");
        return true;
    }
    void ClearAbort() override { calls.push_back("clear"); }
    void End() override { calls.push_back("end"); }

    std::vector<std::string> calls;
};

const char kGpx[] =
    "<trkpt lat=\"1\" lon=\"2\"><time>2010-05-01T10:20:30Z</time></trkpt>\n"
    "<trkpt lat=\"3\" lon=\"4\"><time>2010-05-01T10:20:31Z</time></trkpt>\n";
const char kCsv[] = "1,2010-05-01,10:20:30,5,6\n";

TEST(TrackFolder, readsGpxAndCsvFilesAndStepsTheProgressPerEntry) {
    testing::TrackTestFolder folder;
    folder.Write("a.gpx", kGpx);
    folder.Write("B.GPX", kGpx);
    folder.Write("c.Csv", kCsv);
    folder.Write("notes.txt", kCsv);
    TrackStore store;
    RecordingProgress progress;
    const TrackFolderCounts counts = LoadTrackFolder(folder.path(), store, progress);
    EXPECT_EQ(counts.gpsFileCount, 3);
    EXPECT_EQ(counts.positionCount, 5);
    EXPECT_EQ(store.Count(), 5);
    // Name order: B.GPX, a.gpx, c.Csv, notes.txt; no End and no abort test.
    const std::vector<std::string> expected = {"begin:Getting tracking information...:3",
                                               "pos:0",
                                               "pos:1",
                                               "pump",
                                               "pos:1",
                                               "pos:2",
                                               "pump",
                                               "pos:2",
                                               "pos:3",
                                               "pump",
                                               "pos:3",
                                               "pump"};
    EXPECT_EQ(progress.calls, expected);
    EXPECT_EQ(store.At(4).latitude, 5 * 3600.0);
}

TEST(TrackFolder, loadingTwiceReplacesThePointsAndATrailingSlashWorks) {
    testing::TrackTestFolder folder;
    folder.Write("a.gpx", kGpx);
    TrackStore store;
    NullProgress progress;
    EXPECT_EQ(LoadTrackFolder(folder.path(), store, progress).positionCount, 2);
    EXPECT_EQ(LoadTrackFolder(folder.path() + "/", store, progress).positionCount, 2);
    EXPECT_EQ(store.Count(), 2);
}

TEST(TrackFolder, countsADirectoryNamedLikeATrackFileButReadsNothingFromIt) {
    testing::TrackTestFolder folder;
    std::filesystem::create_directory(folder.path() + "/x.gpx");
    folder.Write("x.gpx/inner.gpx", kGpx);
    folder.Write("trip.xgpx", kGpx);
    folder.Write("track.gpx1", kGpx);
    TrackStore store;
    NullProgress progress;
    const TrackFolderCounts counts = LoadTrackFolder(folder.path(), store, progress);
    EXPECT_EQ(counts.gpsFileCount, 2);  // trip.xgpx and the directory
    EXPECT_EQ(counts.positionCount, 2);
}

TEST(TrackFolder, givesZeroAndAnEmptyStoreForAMissingFolder) {
    testing::TrackTestFolder folder;
    TrackStore store;
    store.Append({1, 1, 1, 1});
    RecordingProgress progress;
    const TrackFolderCounts counts = LoadTrackFolder(folder.path() + "/missing", store, progress);
    EXPECT_EQ(counts.gpsFileCount, 0);
    EXPECT_EQ(counts.positionCount, 0);
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(progress.calls, std::vector<std::string>{"begin:Getting tracking information...:0"});
}

TEST(TrackFolder, tracesEveryEntryWithItsFormatOrAsNoTrackFile) {
    testing::TrackTestFolder folder;
    folder.Write("a.csv", kCsv);
    folder.Write("c.gpx", kGpx);
    folder.Write("b.txt", "");
    std::filesystem::create_directory(folder.path() + "/logs");
    const std::string tracePath = folder.path() + "/logs/Geotal.trace";
    EnableTrace(tracePath);
    TrackStore store;
    NullProgress progress;
    LoadTrackFolder(folder.path(), store, progress);
    DisableTrace();
    std::ifstream in(tracePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    for (const std::string& line : {"Loading CSV file = " + folder.path() + "/a.csv\r\n",
                                    "Not a track file = " + folder.path() + "/b.txt\r\n",
                                    "Loading GPX file = " + folder.path() + "/c.gpx\r\n",
                                    "  " + folder.path() + "/c.gpx: GPX, 2 positions\r\n",
                                    "Not a track file = " + folder.path() + "/logs\r\n"}) {
        EXPECT_NE(text.str().find(line), std::string::npos) << line << "\n" << text.str();
    }
}

TEST(TrackFolder, tracesOneLinePerFileThatLostPointsSayingWhy) {
    testing::TrackTestFolder folder;
    folder.Write("good.gpx", kGpx);
    folder.Write("bad.gpx", std::string(kGpx) +
                                "<trkpt lon=\"2\"><time>2010-05-01T10:20:30Z</time></trkpt>\n" +
                                "<trkpt lat=\"1\" lon=\"2\"><time>now</time></trkpt>\n" +
                                "<trkpt lat=\"1\" lon=\"2\"></trkpt>\n");
    folder.Write("bad.csv", std::string(kCsv) + "2,2010-05-01,10:20:30,95,6\n");
    std::filesystem::create_directory(folder.path() + "/logs");
    const std::string tracePath = folder.path() + "/logs/Geotal.trace";
    EnableTrace(tracePath);
    TrackStore store;
    NullProgress progress;
    EXPECT_EQ(LoadTrackFolder(folder.path(), store, progress).positionCount, 5);
    DisableTrace();
    std::ifstream in(tracePath, std::ios::binary);
    std::string line;
    std::vector<std::string> skipped;
    while (std::getline(in, line)) {
        if (line.find("Skipped") != std::string::npos) {
            skipped.push_back(line.substr(line.find(" -> ") + 4));
        }
    }
    const std::vector<std::string> expected = {
        "  Skipped 1 point of " + folder.path() +
            "/bad.csv: 0 without a position, 0 without a readable time, 1 off the globe\r",
        "  Skipped 3 points of " + folder.path() +
            "/bad.gpx: 1 without a position, 2 without a readable time, 0 off the globe\r"};
    EXPECT_EQ(skipped, expected);
}

TEST(TrackFolder, skipsAPipeNamedLikeATrackFileInsteadOfWaitingForAWriter) {
    testing::TrackTestFolder folder;
    folder.Write("a.gpx", kGpx);
    for (const char* name : {"x.gpx", "y.csv"}) {
        ASSERT_EQ(::mkfifo((folder / name).c_str(), 0600), 0);
    }
    TrackStore store;
    NullProgress progress;
    auto loading = std::async(std::launch::async,
                              [&] { return LoadTrackFolder(folder.path(), store, progress); });
    if (loading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "loading waits on a pipe";
        // Open the other ends, so that the blocked reader and this test can finish.
        for (const char* name : {"x.gpx", "y.csv"}) {
            ::close(::open((folder / name).c_str(), O_WRONLY | O_NONBLOCK));
        }
    }
    const TrackFolderCounts counts = loading.get();
    EXPECT_EQ(counts.gpsFileCount, 3);
    EXPECT_EQ(counts.positionCount, 2);
}

TEST(TrackFolder, readsEveryFormatAndReportsEachFileWithItsCounts) {
    testing::TrackTestFolder folder;
    folder.Write("a.gpx", kGpx);
    folder.Write("b.csv", "Latitude,Longitude,Date,Time\n1.5,2.5,2010/05/01,10:20:30\n");
    folder.Write("c.txt", "$GPRMC,102030,A,4730.0000,N,00815.0000,E,0.1,0.0,010510,,\n");
    folder.Write("d.kml",
                 "<kml><Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString>"
                 "</Placemark></kml>");
    folder.Write("e.igc", "B0723154916500N00643500EA0000000443\n");
    folder.Write("f.fit", "");
    std::filesystem::create_directory(folder.path() + "/g.gpx");
    folder.Write("h", "$GPRMC,102031,A,4730.0000,N,00815.0000,E,0.1,0.0,010510,,\n");
    folder.Write("notes.txt", "nothing here");
    folder.Write("README", "nothing here either");
    folder.Write("gps.dat", "$GPRMC,102032,A,4730.0000,N,00815.0000,E,0.1,0.0,010510,,\n");
    TrackStore store;
    NullProgress progress;
    const TrackFolderCounts counts = LoadTrackFolder(folder.path(), store, progress);
    EXPECT_EQ(counts.gpsFileCount, 8);
    EXPECT_EQ(counts.positionCount, 5);
    std::vector<std::string> reports;
    for (const TrackFileReport& file : counts.files) {
        reports.push_back(file.path.substr(folder.path().size() + 1) + ": " +
                          DescribeTrackFile(file));
    }
    const std::vector<std::string> expected = {
        "a.gpx: GPX, 2 positions",
        "b.csv: CSV, 1 position; read by the names in its header row",
        "c.txt: NMEA, 1 position",
        "d.kml: KML, 0 positions; 1 LineString without point times gave no points",
        "e.igc: IGC, 0 positions, 1 point skipped; no date: the log has no HFDTE header",
        "f.fit: FIT, 0 positions; not a FIT file",
        "g.gpx: GPX, could not be read (Is a directory)",
        "h: NMEA, 1 position"};
    EXPECT_EQ(reports, expected);
}

}  // namespace
}  // namespace geotal
