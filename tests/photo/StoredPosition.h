// A photo's stored position as two numbers, 0/0 for none, and its time, 0 for none, for tests
// that compare numbers.
#pragma once

#include <string>

#include "photo/PhotoMetadata.h"

namespace geotal::test {

inline bool ReadStoredPosition(const std::string& path, double& longitude, double& latitude,
                               double& captureTime) {
    PhotoFacts facts;
    const bool read = ReadPhotoFacts(path, facts);
    latitude = facts.position ? facts.position->latitude : 0.0;
    longitude = facts.position ? facts.position->longitude : 0.0;
    captureTime = facts.captureTime.value_or(0);
    return read;
}

}  // namespace geotal::test
