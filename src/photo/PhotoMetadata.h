// Reading one photo's capture time and stored GPS position.
#pragma once

#include <string>

#include "support/GeoPosition.h"

namespace geotal {

// True when the photo has a capture time (DateTimeOriginal, else DateTime); the position is
// then the stored GPS position, or none when the GPS set is incomplete, off the globe or 0/0.
// False for a file without EXIF data or without either date: no position, captureTime left
// as it was.
bool ReadPhotoMetadata(const std::string& path, MaybePosition& position, double& captureTime);

// "YYYY:MM:DD HH:MM:SS" as an OLE Automation date; 0 when the fields give no valid moment.
// Fields are read at fixed places; a missing time reads as midnight.
double ParseExifDateTime(const std::string& text);

}  // namespace geotal
