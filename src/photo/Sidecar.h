// Which photos keep their position in an XMP sidecar file, and where that file lies.
#pragma once

#include <string>

namespace geotal {

// Whether a file name ends in ".jpg" or ".jpeg", in any letter case: the photos written in place.
bool IsJpegFileName(const std::string& name);

// The sidecar a new position goes to: NAME.xmp beside the photo at path (its last extension
// replaced), as most photo managers name it.
std::string DefaultSidecarPath(const std::string& path);

// The existing sidecar of the photo at path: NAME.xmp, else NAME.EXT.xmp (either in lower or
// upper case); empty when there is none.
std::string ExistingSidecarPath(const std::string& path);

}  // namespace geotal
