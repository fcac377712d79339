// Reading one GPX file into the track store.
#pragma once

#include <string>
#include <string_view>

#include "track/TrackPointGate.h"
#include "track/TrackStore.h"

namespace geotal {

// Appends the file's track points (see GpxTokenParser) to the store; points left out are
// traced in one line. A file that cannot be read adds nothing; the answer tells whether it
// could be read, and callers may ignore it.
bool ReadGpxFile(const std::string& path, TrackStore& store);

// Appends the track points of a GPX text (LF line ends, or UTF-16) to the store; answers what
// was left out.
SkippedPoints ReadGpxText(std::string_view bytes, TrackStore& store);

}  // namespace geotal
