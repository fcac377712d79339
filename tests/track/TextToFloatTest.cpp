#include "track/TextToFloat.h"

#include <gtest/gtest.h>

#include <cmath>

namespace geotal {
namespace {

TEST(TextToFloat, readsTheLeadingNumberLikeAtof) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"47.5", 47.5}, {" \t-8.25 ", -8.25}, {"+3", 3},    {"12.5abc", 12.5}, {"1e3", 1000},
        {".5", 0.5},    {"-.5e1", -5},        {"0x10", 16}, {"abc", 0},        {"", 0},
        {"-", 0},       {"+-1", 0},           {"1,5", 1},   {"</ele>", 0},     {"1e-400", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToFloat(c.text), c.expected) << c.text;
    }
    EXPECT_TRUE(std::isinf(TextToFloat("1e999")));
}

}  // namespace
}  // namespace geotal
