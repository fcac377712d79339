// A photo's stored position as two numbers, 0/0 for none, for tests that compare numbers.
#pragma once

#include <string>

#include "photo/PhotoMetadata.h"

namespace geotal::test {

inline bool ReadStoredPosition(const std::string& path, double& longitude, double& latitude,
                               double& captureTime) {
    MaybePosition position;
    const bool read = ReadPhotoMetadata(path, position, captureTime);
    latitude = position ? position->latitude : 0.0;
    longitude = position ? position->longitude : 0.0;
    return read;
}

}  // namespace geotal::test
