// Adobe's XMP toolkit (through exempi): XMP's data model with every property held by its
// namespace's URI, whatever prefix a packet binds to it. Every exempi call is behind this header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "metadata/XmpGpsEdit.h"

namespace geotal {

// One node of a parsed packet: a property, an array item, a struct field or a qualifier, by its
// namespace's URI and its path ("dc:title[1]/?xml:lang"), with its text and kind (the
// toolkit's option bits: array, alternative text, qualifier...).
struct XmpNode {
    std::string ns;
    std::string path;
    std::string value;
    std::uint32_t kind = 0;

    friend bool operator==(const XmpNode&, const XmpNode&) = default;
    friend auto operator<=>(const XmpNode&, const XmpNode&) = default;
};

// Every node of the packet but the namespaces themselves, in the toolkit's order; false, with
// the toolkit's reason, when it cannot be parsed. The items of an alternative text are named by
// their language ("dc:title[?xml:lang=en-US]"), as their order beyond the first says nothing. The
// toolkit keeps some properties as other names of standard ones (tiff:Software of xmp:CreatorTool)
// and reads them as those.
bool ReadXmpNodes(const std::string& packet, std::vector<XmpNode>& nodes, std::string& error);

// Whether a node is in XMP's EXIF namespace ("http://ns.adobe.com/exif/1.0/") and its name
// starts with GPS: the properties a position write may change.
bool IsExifGpsNode(const XmpNode& node);

// The packet with the edit made through the toolkit: parsed, the properties of the EXIF
// namespace set and taken out, written anew without a packet wrapper. An empty packet gives a
// new one. False, with why, when it cannot be parsed or written.
bool EditXmpWithAdobeToolkit(const std::string& packet, const XmpExifEdit& edit,
                             std::string& edited, std::string& why);

}  // namespace geotal
