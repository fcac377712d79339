// Whether two files are versions of one photo, whatever their metadata says beyond that.
#pragma once

#include <string>

namespace geotal {

// True when both are JPEG files with the same image data (every byte from the start of the
// scan on), taken at the same moment by the same camera (DateTimeOriginal, Make and Model, each
// the same or missing in both): an earlier and a later version of one photo, such as a backup
// and the photo after a position was written. Any doubt (a file unreadable, no image data) is
// false.
bool AreVersionsOfOnePhoto(const std::string& a, const std::string& b);

}  // namespace geotal
