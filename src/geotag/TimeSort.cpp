#include "geotag/TimeSort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace geotal {
namespace {

// Up to this many ascending runs are merged; more would take more passes than a radix sort.
constexpr std::size_t kMostMergedRuns = 256;

bool Earlier(const TimedIndex& a, const TimedIndex& b) {
    return a.time < b.time;
}

// Where each ascending run (equal times continue a run) begins, and the end.
std::vector<std::size_t> RunBounds(const std::vector<TimedIndex>& entries) {
    std::vector<std::size_t> bounds{0};
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (Earlier(entries[i], entries[i - 1])) {
            bounds.push_back(i);
        }
    }
    bounds.push_back(entries.size());
    return bounds;
}

// Merges neighbouring runs pairwise until one is left: a pass per doubling of the run length.
void MergeRuns(std::vector<TimedIndex>& entries, std::vector<std::size_t> bounds) {
    std::vector<TimedIndex> merged(entries.size());
    std::vector<std::size_t> mergedBounds;
    while (bounds.size() > 2) {
        mergedBounds.assign(1, 0);
        std::size_t run = 0;
        for (; run + 2 < bounds.size(); run += 2) {
            // std::merge takes from the first range on ties: the earlier run stays first.
            std::merge(entries.begin() + bounds[run], entries.begin() + bounds[run + 1],
                       entries.begin() + bounds[run + 1], entries.begin() + bounds[run + 2],
                       merged.begin() + bounds[run], Earlier);
            mergedBounds.push_back(bounds[run + 2]);
        }
        if (run + 1 < bounds.size()) {
            // An odd run out is copied as it is.
            std::copy(entries.begin() + bounds[run], entries.begin() + bounds[run + 1],
                      merged.begin() + bounds[run]);
            mergedBounds.push_back(bounds[run + 1]);
        }
        entries.swap(merged);
        bounds.swap(mergedBounds);
    }
}

// An unsigned integer in the same order as the time: the sign bit is flipped for positive
// numbers and every bit for negative ones. -0.0 becomes 0.0, which it equals.
std::uint64_t SortKey(double time) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(time == 0.0 ? 0.0 : time);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

// Least significant digit first, 16 bits at a time; each pass is stable, so the whole is.
void RadixSort(std::vector<TimedIndex>& entries) {
    constexpr int kDigits = 4;
    constexpr std::size_t kBuckets = 1 << 16;
    std::vector<std::uint32_t> counts(kDigits * kBuckets);
    for (const TimedIndex& entry : entries) {
        const std::uint64_t key = SortKey(entry.time);
        for (int d = 0; d < kDigits; ++d) {
            ++counts[d * kBuckets + ((key >> (16 * d)) & 0xffff)];
        }
    }
    std::vector<TimedIndex> sorted(entries.size());
    for (int d = 0; d < kDigits; ++d) {
        std::uint32_t* count = counts.data() + d * kBuckets;
        const std::size_t first = (SortKey(entries[0].time) >> (16 * d)) & 0xffff;
        if (count[first] == entries.size()) {
            continue;  // every key has this digit: the pass would change nothing
        }
        std::uint32_t start = 0;
        for (std::size_t b = 0; b < kBuckets; ++b) {
            const std::uint32_t n = count[b];
            count[b] = start;
            start += n;
        }
        for (const TimedIndex& entry : entries) {
            sorted[count[(SortKey(entry.time) >> (16 * d)) & 0xffff]++] = entry;
        }
        entries.swap(sorted);
    }
}

}  // namespace

void SortByTime(std::vector<TimedIndex>& entries) {
    // Each track file is usually in time order already, so the store is a few ascending runs
    // one after the other: merging those is far cheaper than sorting from scratch.
    std::vector<std::size_t> bounds = RunBounds(entries);
    if (bounds.size() <= 2) {
        return;
    }
    if (bounds.size() - 1 <= kMostMergedRuns) {
        MergeRuns(entries, std::move(bounds));
    } else {
        RadixSort(entries);
    }
}

}  // namespace geotal
