// Setting a position in an XMP sidecar's packet through an XMP toolkit, every other property
// kept, and checking that it was.
#pragma once

#include <string>
#include <vector>

#include "metadata/XmpGpsEdit.h"
#include "support/GeoPosition.h"

namespace geotal {

// Whether after holds what before holds with only the edit made, in XMP's data model (each
// property by its namespace's URI, whatever prefix names it): every property but the EXIF
// namespace's GPS ones the same, and the GPS ones those of before with the edit's taken out and
// set. An empty before is a new packet. False, with why, naming the first property that differs.
bool IsOnlyEdit(const std::string& before, const std::string& after, const XmpExifEdit& edit,
                std::string& why);

// The packet with the edit made and every other property kept. Two XMP toolkits each keep what
// the other may not: exiv2's parser keeps properties that Adobe's toolkit reads as other names
// of standard ones (tiff:Software of xmp:CreatorTool) and folds into those; Adobe's toolkit keeps
// a namespace exiv2 would change (it adds a slash to one without, and it binds prefixes for the
// whole process). exiv2's result is taken where IsOnlyEdit holds for it, else Adobe's where it
// holds and nothing was folded. False, with why, when neither keeps every property or the
// packet cannot be parsed. An empty packet gives a new one.
bool EditSidecarGps(const std::string& packet, const XmpExifEdit& edit, std::string& edited,
                    std::string& why);

// The position a sidecar's packet holds in XMP's EXIF namespace, told by its URI: a property of
// another namespace that the packet binds to the prefix "exif" is not taken for it. False, with
// why, when the packet cannot be parsed; true with none when it holds no usable position.
bool ReadSidecarPosition(const std::string& packet, MaybePosition& position, std::string& why);

// Whether the packet parses and holds any of the EXIF namespace's properties named ("GPSSpeed").
bool HoldsAnyExifProperty(const std::string& packet, const std::vector<std::string>& names);

// Whether the packet holds nothing but the EXIF namespace's GPS properties, as a sidecar this
// program makes does.
bool HoldsOnlyGpsProperties(const std::string& packet);

// Whether two packets that both parse hold the same properties beside the EXIF namespace's GPS
// ones.
bool SamePropertiesBesideGps(const std::string& a, const std::string& b);

}  // namespace geotal
