#include "track/TrackFileBytes.h"

#include <gtest/gtest.h>

namespace geotal {
namespace {

TEST(TrackFileBytes, dropsOnlyCarriageReturnsThatStandBeforeALineFeed) {
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"a\r\nb\r\n", "a\nb\n"}, {"a\rb", "a\rb"},       {"\r\r\n\r", "\r\n\r"},
        {"\r\n\r\n", "\n\n"},     {"no ends", "no ends"}, {"", ""},
    };
    for (auto c : cases) {
        DropCarriageReturnsBeforeLineFeeds(c.bytes);
        EXPECT_EQ(c.bytes, c.expected);
    }
}

}  // namespace
}  // namespace geotal
