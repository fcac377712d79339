// geotal-cli tag with named zones, recorded offsets, sync photos and --json, read back as JSON.
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "metadata/PhotoFixture.h"

namespace geotal {
namespace {

using nlohmann::json;
using test::MakePhoto;
using test::TempFolder;

const test::Environment kUtc = {{"TZ", "UTC0"}};

// Ten minutes of track in winter and in summer, each from 10 N 20 E to 10.2 N 20.2 E.
const char kTrack[] =
    "<trkpt lat=\"10.0\" lon=\"20.0\"><ele>100</ele><time>2023-01-15T11:00:00Z</time></trkpt>\n"
    "<trkpt lat=\"10.2\" lon=\"20.2\"><ele>200</ele><time>2023-01-15T11:10:00Z</time></trkpt>\n"
    "<trkpt lat=\"10.0\" lon=\"20.0\"><ele>100</ele><time>2023-07-15T10:00:00Z</time></trkpt>\n"
    "<trkpt lat=\"10.2\" lon=\"20.2\"><ele>200</ele><time>2023-07-15T10:10:00Z</time></trkpt>\n";

struct TimeFolders {
    TempFolder scratch;
    std::string photos = scratch / "photos";
    std::string gps = scratch / "gps";

    TimeFolders() {
        ::mkdir(photos.c_str(), 0755);
        ::mkdir(gps.c_str(), 0755);
        scratch.Write("gps/track.gpx", kTrack);
    }
    void Photo(const std::string& name, const std::string& cameraTime,
               const std::string& offsetOriginal = {}, const std::string& offset = {},
               const test::Tags& camera = {}) {
        test::Tags tags = {{"Exif.Photo.DateTimeOriginal", cameraTime}};
        tags.insert(tags.end(), camera.begin(), camera.end());
        if (!offsetOriginal.empty()) {
            tags.push_back({"Exif.Photo.OffsetTimeOriginal", offsetOriginal});
        }
        if (!offset.empty()) {
            tags.push_back({"Exif.Photo.OffsetTime", offset});
        }
        MakePhoto(photos + "/" + name, tags);
    }
    test::CliRun Tag(std::vector<std::string> options) {
        options.insert(options.begin(), {"tag", "--photos", photos, "--gps", gps});
        return test::RunGeotalCli(scratch.path(), options, kUtc);
    }
    // Each line of the output parsed, by photo name.
    std::map<std::string, json> TagJson(std::vector<std::string> options) {
        options.push_back("--json");
        const test::CliRun run = Tag(options);
        EXPECT_EQ(run.status, 0) << run.err;
        std::map<std::string, json> photosByName;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            const json photo = json::parse(line);
            photosByName[photo.at("name").get<std::string>()] = photo;
        }
        return photosByName;
    }
};

TEST(TagTime, givesEachPhotoItsZonesOffsetAtItsOwnMomentAndItsRecordedOffsetFirst) {
    TimeFolders folders;
    folders.Photo("summer.jpg", "2023:07:15 12:05:00");
    folders.Photo("winter.jpg", "2023:01:15 12:05:00");
    folders.Photo("recorded.jpg", "2023:07:15 07:05:00", "-03:00");
    folders.Photo("offset_only.jpg", "2023:07:15 07:05:00", "", "-03:00");
    folders.Photo("malformed.jpg", "2023:07:15 12:05:00", "+2:00");
    const struct {
        const char* name;
        const char* utc;
        const char* source;
        const char* offset;
    } cases[] = {
        {"summer.jpg", "2023-07-15T10:05:00Z", "zone", "+02:00"},
        {"winter.jpg", "2023-01-15T11:05:00Z", "zone", "+01:00"},
        {"recorded.jpg", "2023-07-15T10:05:00Z", "recorded", "-03:00"},
        {"offset_only.jpg", "2023-07-15T10:05:00Z", "recorded", "-03:00"},
        {"malformed.jpg", "2023-07-15T10:05:00Z", "zone", "+02:00"},
    };
    std::map<std::string, json> result = folders.TagJson({"--tz", "Europe/Zurich"});
    ASSERT_EQ(result.size(), 5u);
    for (const auto& c : cases) {
        const json& photo = result[c.name];
        EXPECT_EQ(photo["utcTime"], c.utc) << c.name;
        EXPECT_EQ(photo["timeSource"], c.source) << c.name;
        EXPECT_EQ(photo["offset"], c.offset) << c.name;
        EXPECT_EQ(photo["outcome"], "interpolated") << c.name;
        EXPECT_NEAR(photo["latitude"].get<double>(), 10.1, 1e-6) << c.name;
        EXPECT_NEAR(photo["altitude"].get<double>(), 150, 1e-6) << c.name;
        EXPECT_EQ(photo["clockError"], 0) << c.name;
        EXPECT_EQ(photo["written"], false) << c.name;
        ASSERT_EQ(photo["points"].size(), 2u) << c.name;
        EXPECT_EQ(photo["points"][0]["latitude"], 10.0) << c.name;
        EXPECT_TRUE(photo["points"][1]["file"].get<std::string>().ends_with("/gps/track.gpx"))
            << c.name << ": the file the point came from";
    }
    EXPECT_EQ(result["summer.jpg"]["zone"], "Europe/Zurich");
    EXPECT_EQ(result["summer.jpg"]["cameraTime"], "2023-07-15T12:05:00");
    EXPECT_NE(result["malformed.jpg"]["timeReason"].get<std::string>().find("\"+2:00\""),
              std::string::npos);

    // Without the photo's zone the recorded photos fall back on Zurich's, five hours off.
    result = folders.TagJson({"--tz", "Europe/Zurich", "--ignore-photo-zone"});
    EXPECT_EQ(result["recorded.jpg"]["timeSource"], "zone");
    EXPECT_EQ(result["recorded.jpg"]["utcTime"], "2023-07-15T05:05:00Z");
    EXPECT_EQ(result["recorded.jpg"]["outcome"], "gap");
    EXPECT_EQ(result["recorded.jpg"]["points"].size(), 0u);
}

TEST(TagTime, takesTheClockErrorFromOneOrTwoSyncPhotos) {
    TimeFolders folders;
    // A camera 60 s fast on the first day and 180 s fast two days later: 60 s a day.
    folders.Photo("clock1.jpg", "2023:07:13 09:01:00");
    folders.Photo("clock2.jpg", "2023:07:15 09:03:00");
    folders.Photo("between.jpg", "2023:07:14 09:00:00");
    folders.Photo("walk.jpg", "2023:07:15 12:07:00");
    std::map<std::string, json> result =
        folders.TagJson({"--tz", "2", "--sync", "clock1.jpg=2023-07-13T07:00:00Z"});
    for (const char* name : {"clock1.jpg", "clock2.jpg", "between.jpg", "walk.jpg"}) {
        EXPECT_EQ(result[name]["clockError"], 60) << name;
    }
    EXPECT_EQ(result["clock1.jpg"]["utcTime"], "2023-07-13T07:00:00Z");

    // The second time given in the --tz zone, the first with its own offset.
    result =
        folders.TagJson({"--tz", "Europe/Zurich", "--sync=clock1.jpg=2023-07-13T10:00:00+03:00",
                         "--sync", "clock2.jpg=2023-07-15T09:00:00"});
    EXPECT_EQ(result["clock1.jpg"]["clockError"], 60);
    EXPECT_EQ(result["clock2.jpg"]["clockError"], 180);
    EXPECT_EQ(result["between.jpg"]["clockError"], 120);
    EXPECT_EQ(result["walk.jpg"]["clockError"], 188);  // continued beyond the last sync photo
    EXPECT_EQ(result["walk.jpg"]["utcTime"], "2023-07-15T10:03:52Z");
}

TEST(TagTime, refusesZonesSyncsAndErrorsItCannotUse) {
    TimeFolders folders;
    folders.Photo("a.jpg", "2023:07:15 12:05:00");
    const std::vector<std::string> refused[] = {
        {"--tz", "Europe/Atlantis"},
        {"--tz", "15"},
        {"--tz", "-13"},
        {"--clock-error", "63158401"},
        {"--sync", "a.jpg"},
        {"--sync", "a.jpg=2023-07-15 10:00:00"},
        {"--sync", "a.jpg=2023-02-30T10:00:00Z"},
        {"--sync", "a.jpg=2023-07-15T10:00:00+2"},
        {"--sync", "missing.jpg=2023-07-15T10:00:00Z"},
        {"--sync", "a.jpg=2023-07-15T10:00:00Z", "--clock-error", "5"},
    };
    for (const auto& options : refused) {
        const test::CliRun run = folders.Tag(options);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(options);
        EXPECT_EQ(run.out, "") << testing::PrintToString(options);
    }
    const std::vector<std::string> accepted[] = {
        {"--tz", "14"},
        {"--tz", "-12"},
        {"--tz", "Pacific/Kiritimati"},
        {"--clock-error", "-63158400"},
    };
    for (const auto& options : accepted) {
        EXPECT_EQ(folders.Tag(options).status, 0) << testing::PrintToString(options);
    }
}

// Two syncs that contradict each other, and one three years off, are refused with what they
// said; the same sync given twice is no contradiction.
TEST(TagTime, refusesContradictorySyncsAndAClockErrorBeyondItsRange) {
    TimeFolders folders;
    folders.Photo("a.jpg", "2023:07:15 12:05:00");
    folders.Photo("b.jpg", "2023:07:15 12:05:00");
    struct Case {
        std::vector<std::string> options;
        const char* said;  // in the message; empty for an accepted run
    };
    const Case cases[] = {
        {{"--sync", "a.jpg=2023-07-15T10:00:00Z", "--sync", "a.jpg=2023-07-15T10:01:00Z"},
         "--sync a.jpg=2023-07-15T10:00:00Z and --sync a.jpg=2023-07-15T10:01:00Z"},
        {{"--sync", "a.jpg=2023-07-15T10:00:00Z", "--sync", "b.jpg=2023-07-15T10:02:00Z"},
         "--sync a.jpg=2023-07-15T10:00:00Z and --sync b.jpg=2023-07-15T10:02:00Z"},
        {{"--sync", "a.jpg=2020-07-15T10:00:00Z"}, "beyond the 731 days"},
        {{"--sync", "a.jpg=2023-07-15T10:00:00Z", "--sync", "b.jpg=2023-07-15T10:00:00Z"}, ""},
        {{"--sync", "a.jpg=2023-07-15T10:00:00Z", "--sync", "a.jpg=2023-07-15T10:00:00Z"}, ""},
    };
    for (const Case& c : cases) {
        const test::CliRun run = folders.Tag(c.options);
        const std::string said = c.said;
        EXPECT_EQ(run.status, said.empty() ? 0 : 2) << said << run.err;
        if (!said.empty()) {
            EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        }
    }
}

// A camera an hour slow and a phone beside it: the phone, which records its offset, keeps its own
// right clock; a camera given its own error, or synchronised, moves alone.
TEST(TagTime, givesEachCameraItsOwnClockError) {
    TimeFolders folders;
    const test::Tags canon = {{"Exif.Image.Make", "Canon"}, {"Exif.Image.Model", "Canon EOS 40D"}};
    const test::Tags phone = {{"Exif.Image.Make", "Apple"}, {"Exif.Image.Model", "iPhone 7"}};
    folders.Photo("camera.jpg", "2023:07:15 11:05:00", {}, {}, canon);
    folders.Photo("phone.jpg", "2023:07:15 12:05:00", "+02:00", {}, phone);
    std::map<std::string, json> result = folders.TagJson({"--tz", "2", "--clock-error", "-3600"});
    EXPECT_EQ(result["camera.jpg"]["camera"], "Canon EOS 40D");
    EXPECT_EQ(result["camera.jpg"]["clockError"], -3600);
    EXPECT_EQ(result["camera.jpg"]["utcTime"], "2023-07-15T10:05:00Z");
    EXPECT_EQ(result["phone.jpg"]["camera"], "Apple iPhone 7");
    EXPECT_EQ(result["phone.jpg"]["clockError"], 0);
    EXPECT_EQ(result["phone.jpg"]["utcTime"], "2023-07-15T10:05:00Z");
    EXPECT_EQ(result["phone.jpg"]["timeTag"], "DateTimeOriginal");

    result = folders.TagJson({"--tz", "2", "--camera-clock-error", "canon eos 40d=-3500",
                              "--camera-clock-error", "Apple iPhone 7=30"});
    EXPECT_EQ(result["camera.jpg"]["clockError"], -3500);
    EXPECT_EQ(result["phone.jpg"]["clockError"], 30);

    // The sync of the camera's photo moves the camera alone.
    result = folders.TagJson({"--tz", "2", "--sync", "camera.jpg=2023-07-15T10:04:00Z"});
    EXPECT_EQ(result["camera.jpg"]["clockError"], -3540);
    EXPECT_EQ(result["phone.jpg"]["clockError"], 0);

    const test::CliRun unknown = folders.Tag({"--camera-clock-error", "Nikon=5"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("no camera of the photos is named so; theirs are: Apple iPhone 7 "
                               "(1), Canon EOS 40D (1)"),
              std::string::npos)
        << unknown.err;
}

TEST(TagTime, saysWhichPhotosWereWritten) {
    TimeFolders folders;
    folders.Photo("summer.jpg", "2023:07:15 12:05:00");
    folders.Photo("lost.jpg", "2023:07:15 18:00:00");
    std::map<std::string, json> result = folders.TagJson({"--tz", "Europe/Zurich", "--write"});
    EXPECT_EQ(result["summer.jpg"]["written"], true);
    EXPECT_EQ(result["lost.jpg"]["written"], false);
    EXPECT_EQ(result["lost.jpg"]["latitude"], nullptr);
    EXPECT_NE(result["lost.jpg"]["reason"].get<std::string>().find("5 h 50 min"),
              std::string::npos);
}

}  // namespace
}  // namespace geotal
