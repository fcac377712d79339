// Reading a newly written photo back and comparing it, tag by tag, with what it should hold.
#pragma once

#include <string>

#include "metadata/Exiv2Metadata.h"
#include "metadata/GpsChange.h"

namespace geotal {

// Whether the file at path opens and holds every tag of expected with the same value: the EXIF
// tags (the photo's, with the GPS change set in them), and the IPTC and XMP tags, JPEG comment and
// colour profile of the photo expected was read from. Pointers to directories, which a write may
// move, are compared by what they point to; XMP position properties by being there, and those
// of tags the change removes not at all. On failure error says which tag differs, or why the
// file cannot be read.
bool CheckMetadata(const std::string& path, const ExifMetadata& expected, const GpsChange& change,
                   std::string& error);

}  // namespace geotal
