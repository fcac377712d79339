#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "support/TempFolder.h"

namespace geotal {
namespace {

using test::RunGeotalCli;
using test::TempFolder;

TEST(CommandHelp, eachCommandExplainsItselfAndExitsZero) {
    TempFolder scratch;
    const test::CliRun overview = RunGeotalCli(scratch.path(), {"--help"});
    EXPECT_EQ(overview.status, 0);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"track", "--help"},
                                               {"track", "-h"},
                                               {"photos", "--help"},
                                               {"photos", "somewhere", "-h"},
                                               {"set", "--help"},
                                               {"set", "47", "8", "--help", "a.jpg"},
                                               {"tag", "--help"},
                                               {"tag", "--photos", "p", "-h"},
                                               {"restore", "--help"}}) {
        const test::CliRun run = RunGeotalCli(scratch.path(), args);
        EXPECT_EQ(run.status, 0) << testing::PrintToString(args) << run.err;
        EXPECT_EQ(run.out.find("Usage: geotal-cli " + args[0] + " "), 0u) << run.out;
        EXPECT_NE(run.out.find("--help"), std::string::npos) << run.out;
        EXPECT_NE(overview.out.find("  " + args[0] + " "), std::string::npos) << overview.out;
    }
}

// The help reads as a person writes it, not as the parser notes its rules.
TEST(CommandHelp, optionsShowTheirValueAndNoParserNotes) {
    TempFolder scratch;
    for (const char* command : {"track", "photos", "set", "tag", "restore"}) {
        const test::CliRun run = RunGeotalCli(scratch.path(), {command, "--help"});
        for (const char* note : {"Needs:", "Excludes:", "REQUIRED", ":{", ",--"}) {
            EXPECT_EQ(run.out.find(note), std::string::npos) << command << ": " << note;
        }
    }
    const test::CliRun tag = RunGeotalCli(scratch.path(), {"tag", "--help"});
    EXPECT_NE(tag.out.find("  -h, --help "), std::string::npos) << tag.out;
    EXPECT_NE(tag.out.find("  --separator comma|semicolon|tab\n"), std::string::npos) << tag.out;
    EXPECT_NE(tag.out.find("with --write: copy each photo"), std::string::npos) << tag.out;
}

TEST(CommandHelp, versionAnswersAsAnOptionToo) {
    TempFolder scratch;
    const test::CliRun option = RunGeotalCli(scratch.path(), {"--version"});
    EXPECT_EQ(option.status, 0);
    EXPECT_EQ(option.out.rfind("Geotal ", 0), 0u) << option.out;
    EXPECT_EQ(option.out, RunGeotalCli(scratch.path(), {"version"}).out);
}

TEST(CommandHelp, setKeepsDashWordsAsArguments) {
    // "-h" could be a photo's name; only "--help" asks set for help.
    TempFolder scratch;
    const test::CliRun run = RunGeotalCli(scratch.path(), {"set", "-h"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("at least one PHOTO"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace geotal
