// Reading one GPX file into the track store.
#pragma once

#include <string>
#include <string_view>

#include "track/TrackPointGate.h"
#include "track/TrackStore.h"

namespace geotal {

// Appends the track points of a GPX text (LF line ends, or UTF-16) to the store; answers what
// was left out.
SkippedPoints ReadGpxText(std::string_view bytes, TrackStore& store);

}  // namespace geotal
