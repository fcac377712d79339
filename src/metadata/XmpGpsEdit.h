// Keeping the position an XMP packet already holds the same as the one written into EXIF,
// changing nothing else in the packet.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "metadata/GpsChange.h"

namespace geotal {

// The values in XMP's own forms; an empty text leaves that property as it is.
struct XmpGpsValues {
    std::string latitude;     // "47,30.6N": degrees, then minutes with their fraction
    std::string longitude;    // "8,15.0E"
    std::string altitude;     // "825/2", the rational as EXIF holds it
    std::string altitudeRef;  // "0" above sea level, "1" below
    std::string version;      // "2.2.0.0"
    std::string timeStamp;    // "2010-01-01T12:00:00Z": XMP keeps the fix's date and time in one
    // The EXIF namespace's properties taken out ("GPSSpeed"), for the EXIF tags the change removes.
    std::vector<std::string> removed;
};

// A change to the properties of XMP's EXIF namespace, by name ("GPSLatitude"): texts to set and
// properties to take out.
struct XmpExifEdit {
    std::vector<std::pair<std::string, std::string>> set;
    std::vector<std::string> removed;
};

// The edit that makes a packet hold the values: each value given set, each removed property
// taken out. With a position given, the properties XMP has no place for but some writers add
// (GPSLatitudeRef, GPSLongitudeRef, GPSDateStamp) go too: XMP says the hemisphere in the
// coordinate and the date in the time stamp, and those would describe the old position.
XmpExifEdit GpsPropertyEdit(const XmpGpsValues& values);

// The XMP forms of the GPS change being made in EXIF: the values of tags 0 to 7 and 29, and the
// properties of the tags it removes; a removal takes out the hemispheres and the date stamp
// some writers add too.
XmpGpsValues ToXmpGpsValues(const GpsChange& change);

// The XMP property that holds what the EXIF GPS tag holds; empty for a tag XMP does not have.
// The date stamp and the time stamp share one.
std::string XmpGpsPropertyOf(std::uint16_t tag);

enum class XmpEditResult {
    NoPosition,   // the packet holds no GPS latitude or longitude; it is left as it is
    Edited,       // every GPS property it held that values gives now says the new position
    UnknownForm,  // it holds a position in a form this edit does not know; left as it is
};

// Sets the properties of the EXIF namespace that the packet already holds (as attributes or
// simple elements) and takes out the removed ones; adds none. A packet without a position is
// left as it is. The packet keeps its length where its trailing padding allows.
XmpEditResult EditXmpGps(std::string_view packet, const XmpGpsValues& values, std::string& edited);

}  // namespace geotal
