// The date and time texts of EXIF tags.
#pragma once

#include <string>

namespace geotal {

// "YYYY:MM:DD HH:MM:SS" as an OLE Automation date; 0 when the fields give no valid moment.
// Fields are read at fixed places; a missing time reads as midnight.
double ParseExifDateTime(const std::string& text);

}  // namespace geotal
