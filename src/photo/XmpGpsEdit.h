// Keeping the position an XMP packet already holds the same as the one written into EXIF,
// changing nothing else in the packet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "photo/TiffField.h"

namespace geotal {

// The values in XMP's own forms; an empty text leaves that property as it is.
struct XmpGpsValues {
    std::string latitude;     // "47,30.6N": degrees, then minutes with their fraction
    std::string longitude;    // "8,15.0E"
    std::string altitude;     // "825/2", the rational as EXIF holds it
    std::string altitudeRef;  // "0" above sea level, "1" below
    std::string version;      // "2.2.0.0"
};

// The XMP forms of the GPS fields being written into EXIF (tags 0 to 6).
XmpGpsValues ToXmpGpsValues(const std::vector<TiffField>& fields);

enum class XmpEditResult {
    NoPosition,   // the packet holds no GPS latitude or longitude; it is left as it is
    Edited,       // every GPS property it held that values gives now says the new position
    UnknownForm,  // it holds a position in a form this edit does not know; left as it is
};

// Sets the properties of the EXIF namespace that the packet already holds (as attributes or
// simple elements); adds none. The packet keeps its length where its trailing padding allows.
XmpEditResult EditXmpGps(std::string_view packet, const XmpGpsValues& values, std::string& edited);

}  // namespace geotal
