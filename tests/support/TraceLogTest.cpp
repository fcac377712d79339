#include "support/TraceLog.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace geotal {
namespace {

std::tm SundayDecember6(int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 6;
    t.tm_wday = 0;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(TraceLog, formatsTheLineWithZeroPaddedDayAndMilliseconds) {
    EXPECT_EQ(FormatTraceLine(SundayDecember6(10, 46, 44), 7, "****  START LOAD"),
              "Sun Dec 06 10:46:44.007 -> ****  START LOAD\r\n");
    EXPECT_EQ(FormatTraceLine(SundayDecember6(0, 0, 5), 999, "x"),
              "Sun Dec 06 00:00:05.999 -> x\r\n");
}

class TraceFile : public ::testing::Test {
protected:
    void TearDown() override { DisableTrace(); }
    std::string Contents() const {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    test::TempFolder dir_;
    std::string path_ = dir_ / "Geotal.trace";
};

TEST_F(TraceFile, writesNothingWhileOff) {
    EnableTrace(path_);
    DisableTrace();
    Trace("hidden");
    TraceValue("name", "value");
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_FALSE(IsTraceEnabled());
}

TEST_F(TraceFile, appendsLinesWithNameValueLayouts) {
    EnableTrace(path_);
    Trace("one");
    TraceValue("Loading GPX file", "/tmp/a.gpx");
    TraceValue("  Catch error", 6);
    const std::string text = Contents();
    EXPECT_NE(text.find(" -> one\r\n"), std::string::npos);
    EXPECT_NE(text.find(" -> Loading GPX file = /tmp/a.gpx\r\n"), std::string::npos);
    EXPECT_NE(text.find(" ->   Catch error = 6\r\n"), std::string::npos);
}

TEST_F(TraceFile, losesTheLineSilentlyWhenTheFileCannotBeOpened) {
    EnableTrace(dir_ / "missing-folder/Geotal.trace");
    Trace("lost");
    EXPECT_TRUE(IsTraceEnabled());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing-folder"));
}

}  // namespace
}  // namespace geotal
