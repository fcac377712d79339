// What every fuzz target insists on besides "no crash": a broken promise stops the run like
// a crash, so libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "support/Angles.h"
#include "track/TrackStore.h"

namespace geotal::fuzz {

inline void Require(bool kept, const char* promise) {
    if (!kept) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

// Only fixes that can have happened reach the store.
inline void RequireRealFixes(const TrackStore& store) {
    for (int i = 0; i < store.Count(); ++i) {
        const TrackPoint& p = store.At(i);
        Require(p.time != 0, "a stored point has a time");
        Require(p.latitude != 0 || p.longitude != 0, "a stored point is not at 0/0");
        Require(IsOnGlobe(p.latitude, p.longitude), "a stored point lies on the globe");
    }
}

}  // namespace geotal::fuzz
