// Reading one photo's capture time and stored GPS position.
#pragma once

#include <string>

namespace geotal {

// True when the photo has a capture time (DateTimeOriginal, else DateTime); the position is
// then the stored GPS position in seconds of arc, or 0/0 when the GPS set is incomplete.
// False for a file without EXIF data or without either date: position 0/0, captureTime left
// as it was.
bool ReadPhotoMetadata(const std::string& path, double& longitude, double& latitude,
                       double& captureTime);

// "YYYY:MM:DD HH:MM:SS" as an OLE Automation date; 0 when the fields give no valid moment.
// Fields are read at fixed places; a missing time reads as midnight.
double ParseExifDateTime(const std::string& text);

}  // namespace geotal
