// Reading one GPX file into the track store.
#pragma once

#include <string>

#include "track/TrackStore.h"

namespace geotal {

// Appends the file's track points (see GpxTokenParser) to the store. A file that cannot be
// read adds nothing; the answer tells whether it could be read, and callers may ignore it.
bool ReadGpxFile(const std::string& path, TrackStore& store);

}  // namespace geotal
