// Reading the capture time and the GPS position that XMP properties hold, in XMP's own text forms.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/GeoPosition.h"

namespace geotal {

// One XMP coordinate in seconds of arc, negative to the south and west: XMP's own forms
// ("47,30.5000N", "47,30,30N") and decimal degrees as some exports write them ("47.5083", with
// the hemisphere in a reference property, given as ref, or in a sign; "47.5083N"). None when the
// text is of no such form, its minutes or seconds are 60 or more, or ref is no hemisphere.
std::optional<double> ParseXmpCoordinate(std::string_view text, std::string_view ref = {});

// An XMP date ("2014-05-17T10:11:12.34+02:00", or a shorter one) as an OLE Automation date, and
// its offset from UTC ("+02:00", empty for none or "Z"); none when the date is not a valid moment.
struct XmpDate {
    double time = 0;
    std::string offset;
    bool dayOnly = false;  // a date without a time of day, read as its midnight
};
std::optional<XmpDate> ParseXmpDate(std::string_view text);

using XmpTexts = std::vector<std::pair<std::string, std::string>>;

// Whether the text names RDF's namespace, in UTF-8 or in either order of UTF-16: an XMP packet
// does, and XML or text of another kind does not, though a parser may take it for an empty one.
bool NamesRdf(std::string_view text);

// The capture time the XMP properties give: Xmp.exif.DateTimeOriginal, else
// Xmp.photoshop.DateCreated; none when neither is a valid date.
std::optional<XmpDate> XmpCaptureTime(const XmpTexts& xmp);

// The position of Xmp.exif.GPSLatitude and GPSLongitude (with GPSLatitudeRef and
// GPSLongitudeRef, where decimal degrees need them); none when either is missing or unusable,
// off the globe or 0/0.
MaybePosition XmpPosition(const XmpTexts& xmp);

}  // namespace geotal
