// Writing GPS tags into a JPEG file's bytes so that nothing else in the file changes: only the
// EXIF segment's GPS data (and an XMP position, when the photo has one) are edited.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "metadata/GpsChange.h"
#include "metadata/XmpGpsEdit.h"

namespace geotal {

enum class GpsEditResult {
    Edited,   // edited holds the whole new file
    Refused,  // this edit cannot apply; reason says why, and the bytes need another writer
};

struct GpsEditOutcome {
    GpsEditResult result = GpsEditResult::Refused;
    std::string reason;  // why it was refused
    XmpEditResult xmp = XmpEditResult::NoPosition;
    std::string xmpLeft;  // why an XMP position was left as it was, when it was
};

// The image's resolution as its JFIF header gives it, in EXIF's terms: pixels per inch (unit 2)
// or per centimetre (unit 3); 72 pixels per inch where it gives none or only an aspect ratio.
// A new EXIF segment's IFD0 holds it, with YCbCrPositioning 1 (centred, as JFIF has it), as
// EXIF requires of every JPEG's IFD0.
struct JpegResolution {
    std::uint32_t x = 72, y = 72;
    std::uint16_t unit = 2;
};
JpegResolution NewExifResolution(std::string_view jpeg);

// Whether the JPEG has an EXIF segment; without one, EditJpegGps makes a new one.
bool HasExifSegment(std::string_view jpeg);

// Makes edited from jpeg with the change (to GPS tags 0 to 31) made in its EXIF data: the GPS
// directory rewritten at the end of the EXIF segment, the XMP position (when there is one)
// set to match, and every other byte of the file, segments, image data and anything after
// it, left as it was. A file without an EXIF segment gets a new one holding the GPS
// directory and the entries IFD0 requires (NewExifResolution), after the start of the image
// and its JFIF segments; a removal (IsRemoval) makes none, and only takes an XMP position out
// of such a file. Refuses a file that is not
// a JPEG, whose EXIF data does not parse, or whose segment would pass 64 KB. Any bytes
// whatever may be given.
GpsEditOutcome EditJpegGps(std::string_view jpeg, const GpsChange& change, std::string& edited);

}  // namespace geotal
