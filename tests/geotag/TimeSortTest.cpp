#include "geotag/TimeSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

namespace geotal {
namespace {

std::vector<int> Indices(const std::vector<TimedIndex>& entries) {
    std::vector<int> indices;
    for (const TimedIndex& entry : entries) {
        indices.push_back(entry.index);
    }
    return indices;
}

// Few runs are merged, many are radix sorted; both must agree with a stable comparison sort,
// also on repeated times, 0.0 beside -0.0, negative and infinite times.
TEST(TimeSort, ordersLikeAStableSortWhateverTheRunsOfTheInput) {
    std::mt19937 random(99);
    const double odd[] = {0.0,
                          -0.0,
                          -1.5,
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          9999999999.0};
    const struct {
        const char* name;
        int size;
        int files;  // ascending runs laid one after the other
        bool shuffled;
        bool reversed;
    } cases[] = {
        {"empty", 0, 1, false, false},
        {"one", 1, 1, false, false},
        {"sorted", 5000, 1, false, false},
        {"three files", 5000, 3, false, false},
        {"many files", 20000, 300, false, false},
        {"shuffled", 20000, 1, true, false},
        {"newest first", 20000, 1, false, true},
    };
    for (const auto& c : cases) {
        std::vector<TimedIndex> entries;
        const int perFile = std::max(1, c.size / c.files);
        for (int i = 0; i < c.size; ++i) {
            // Coarse steps, so that times repeat within and across files.
            double time = 40000.0 + (i % perFile) / 4 * 0.001 + (i / perFile % 7) * 0.01;
            if (random() % 50 == 0) {
                time = odd[random() % 6];
            }
            entries.push_back({time, i});
        }
        if (c.shuffled) {
            std::shuffle(entries.begin(), entries.end(), random);
        }
        if (c.reversed) {
            std::reverse(entries.begin(), entries.end());
        }
        std::vector<TimedIndex> expected = entries;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const TimedIndex& a, const TimedIndex& b) { return a.time < b.time; });
        SortByTime(entries);
        EXPECT_EQ(Indices(entries), Indices(expected)) << c.name;
    }
}

}  // namespace
}  // namespace geotal
