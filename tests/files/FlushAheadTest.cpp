// Files flushed on other threads as they are handed over: each one's answer comes back in the
// order they were handed over, whichever finished first, and nothing is left in flight.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "files/FlushFiles.h"
#include "support/TempFolder.h"

namespace geotal {
namespace {

TEST(FlushAhead, answersForEachFileInTheOrderHandedOverWhicheverFinishesFirst) {
    std::atomic<int> calls{0};
    // "n": answers n, the first files slowest, so that later ones finish first.
    FlushAhead ahead([&calls](const std::vector<std::string>& paths) {
        ++calls;
        const int n = std::stoi(paths.at(0));
        std::this_thread::sleep_for(std::chrono::milliseconds(n < 3 ? 30 - 10 * n : 0));
        return std::vector<int>{n};
    });
    for (int round = 0; round < 2; ++round) {
        std::vector<int> expected;
        for (int n = 0; n < 9 + round; ++n) {
            ahead.Add(std::to_string(n));
            expected.push_back(n);
        }
        EXPECT_EQ(ahead.Results(), expected) << round;
    }
    EXPECT_EQ(calls, 19);
    EXPECT_TRUE(ahead.Results().empty());
}

TEST(FlushAhead, flushesRealFilesAndSaysWhichCouldNotBe) {
    test::TempFolder folder;
    FlushAhead ahead(FlushFiles);
    ahead.Add(folder.Write("a", "a"));
    ahead.Add(folder / "missing");
    ahead.Add(folder.Write("b", "b"));
    EXPECT_EQ(ahead.Results(), (std::vector<int>{0, ENOENT, 0}));
}

TEST(FlushAhead, waitsForWhatItWasHandedWhenDestroyed) {
    std::atomic<int> finished{0};
    {
        FlushAhead ahead([&finished](const std::vector<std::string>&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ++finished;
            return std::vector<int>{0};
        });
        for (int i = 0; i < 6; ++i) {
            ahead.Add("x");
        }
    }
    EXPECT_EQ(finished, 6);
}

}  // namespace
}  // namespace geotal
