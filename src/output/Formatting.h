// Text forms of coordinates and photo times, shared by the list, the exports and the CLI.
#pragma once

#include <string>

namespace geotal {

enum CoordinateFormat : int {
    DecimalDegrees = 1,         // "DD.DDDD"
    DegreesMinutes = 2,         // "DD MM.MMMM"
    DegreesMinutesSeconds = 3,  // "DD MM SS.SS"
};

// angle in seconds of arc; format as stored in the settings (other values give "" or "-").
std::string FormatCoordinate(double angle, int format);

// An OLE Automation date as "YYYY/MM/DD HH:MM:SS", rounded to the second.
std::string FormatPhotoTime(double time);

}  // namespace geotal
