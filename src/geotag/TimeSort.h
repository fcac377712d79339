// Ordering track points by time while keeping store order among equal times.
#pragma once

#include <vector>

namespace geotal {

struct TimedIndex {
    double time;  // never NaN
    int index;
};

// Stable: entries with equal times (0.0 and -0.0 count as equal) keep their order.
void SortByTime(std::vector<TimedIndex>& entries);

}  // namespace geotal
