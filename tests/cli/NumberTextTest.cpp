#include "cli/NumberText.h"

#include <gtest/gtest.h>

namespace geotal::cli {
namespace {

TEST(ParseWholeNumber, readsBaseTenWithASignAndRefusesEverythingElse) {
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"13", true, 13},
        {"-12", true, -12},
        {"+5", true, 5},
        {"010", true, 10},  // not octal
        {"0", true, 0},
        {"-0", true, 0},
        {"2147483647", true, 2147483647},
        {"0x10", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"+", false, 0},
        {" 1", false, 0},
        {"1 ", false, 0},
        {"1.0", false, 0},
        {"abc", false, 0},
        {"2147483648", false, 0},
        {"--1", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int value = 0;
        EXPECT_EQ(ParseWholeNumber(c.text, value), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(value, c.value) << "'" << c.text << "'";
        }
    }
}

TEST(ParseDecimal, readsFiniteNumbersFillingTheText) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"-33.8688", true, -33.8688},
        {"151.2093", true, 151.2093},
        {"-.5", true, -0.5},
        {"1e3", true, 1000.0},
        {"8e", false, 0},
        {"", false, 0},
        {"nan", false, 0},
        {"inf", false, 0},
        {"1e999", false, 0},
        {"47,5", false, 0},
        {"47 ", false, 0},
    };
    for (const Case& c : cases) {
        double value = 0;
        EXPECT_EQ(ParseDecimal(c.text, value), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(value, c.value) << "'" << c.text << "'";
        }
    }
}

}  // namespace
}  // namespace geotal::cli
