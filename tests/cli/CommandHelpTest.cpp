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
                                               {"tag", "--photos", "p", "-h"}}) {
        const test::CliRun run = RunGeotalCli(scratch.path(), args);
        EXPECT_EQ(run.status, 0) << testing::PrintToString(args) << run.err;
        EXPECT_EQ(run.out.find("Usage: geotal-cli " + args[0] + " "), 0u) << run.out;
        EXPECT_NE(run.out.find("--help"), std::string::npos) << run.out;
        EXPECT_NE(overview.out.find("  " + args[0] + " "), std::string::npos) << overview.out;
    }
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
