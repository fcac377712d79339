// The sample in examples/ and the README's account of it: each photo is there to show one
// outcome, and the README shows the command's output word for word.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "cli/CliRunner.h"
#include "metadata/PhotoFixture.h"

namespace geotal {
namespace {

// The command as the README gives it, run from the source folder.
const char kReadmeCommand[] =
    "build/src/cli/geotal-cli tag --photos examples/photos --gps examples/gps --tz 2";

test::CliRun TagExamples(const test::TempFolder& scratch) {
    const std::string examples = GEOTAL_EXAMPLES;
    // The computer's zone must not matter, since --tz is given.
    return test::RunGeotalCli(
        scratch.path(),
        {"tag", "--photos", examples + "/photos", "--gps", examples + "/gps", "--tz", "2"},
        {{"TZ", "America/New_York"}});
}

// Name and outcome, the first and last of each row's tab-separated columns.
std::map<std::string, std::string> OutcomesByName(const std::string& rows) {
    std::map<std::string, std::string> outcomes;
    std::istringstream lines(rows);
    for (std::string line; std::getline(lines, line);) {
        outcomes[line.substr(0, line.find('\t'))] = line.substr(line.rfind('\t') + 1);
    }
    return outcomes;
}

TEST(Examples, tagGivesEachSamplePhotoTheOutcomeItIsThereToShow) {
    test::TempFolder scratch;
    const test::CliRun run = TagExamples(scratch);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::map<std::string, std::string> expected = {
        {"01_before_the_start.jpg", "far"},  // 12 min before the first point
        {"02_at_the_start.jpg", "nearest"},  // 6.5 min before the first point
        {"03_path.jpg", "interpolated"},
        {"04_bridge.jpg", "interpolated"},
        {"05_meadow.jpg", "interpolated"},
        {"06_already_tagged.jpg", "unchecked"},  // has its own position
        {"07_summit.jpg", "interpolated"},
        {"08_lunch_break.jpg", "gap"},    // in a gap of more than 4 hours
        {"09_lake.jpg", "interpolated"},  // on the CSV track
        {"10_village.jpg", "interpolated"},
        {"11_after_the_end.jpg", "nearest"},  // 7 min after the last point
        {"12_no_exif.jpg", "no-time"},        // no time at all
    };
    EXPECT_EQ(OutcomesByName(run.out), expected);
    EXPECT_EQ(run.err, "12 photos, 8 positioned, 0 written\n");
}

// The page to look at before --write: the placed photos and both tracks, over no tiles here.
TEST(Examples, tagWritesAMapPageOfTheTracksAndPlacedPhotos) {
    test::TempFolder scratch;
    const std::string examples = GEOTAL_EXAMPLES;
    const std::string page = scratch.path() + "/map.html";
    const test::CliRun run = test::RunGeotalCli(scratch.path(),
                                                {"tag", "--photos", examples + "/photos", "--gps",
                                                 examples + "/gps", "--tz", "2", "--map", page},
                                                {{"GEOTAL_MAP_TILES", ""}});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Map of 9 photos written to " + page), std::string::npos) << run.err;
    const std::string html = test::ReadBytes(page);
    EXPECT_NE(html.find("<title>03_path.jpg: interpolated</title>"), std::string::npos);
    EXPECT_NE(html.find("06_already_tagged.jpg: unchecked"), std::string::npos);
    EXPECT_EQ(html.find("08_lunch_break.jpg"), std::string::npos) << "no position, no dot";
    EXPECT_EQ(html.find("<image"), std::string::npos);

    const test::CliRun unwritable = test::RunGeotalCli(
        scratch.path(), {"tag", "--photos", examples + "/photos", "--gps", examples + "/gps",
                         "--map", scratch.path() + "/no/such/folder/map.html"});
    EXPECT_EQ(unwritable.status, 1);
}

TEST(Examples, theReadmeShowsWhatTheCommandPrints) {
    test::TempFolder scratch;
    const test::CliRun run = TagExamples(scratch);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string readme = test::ReadBytes(GEOTAL_README);
    const std::string shown = std::string("$ ") + kReadmeCommand + "\n" + run.out + run.err;
    EXPECT_NE(readme.find(shown), std::string::npos) << "README.md should show, in one block:\n"
                                                     << shown;
}

}  // namespace
}  // namespace geotal
