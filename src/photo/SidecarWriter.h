// Writing a position into the XMP sidecar of a photo whose own bytes are never changed.
#pragma once

#include <string>

#include "photo/PhotoWriter.h"
#include "photo/XmpGpsEdit.h"
#include "support/GeoPosition.h"

namespace geotal {

// The position's GPS properties in XMP's forms: latitude and longitude as degrees and decimal
// minutes, the altitude with its reference, the version, the fix's moment when it has one. The
// properties it has no value for are listed as removed, so that an old position's altitude or
// time does not stay beside a new position.
XmpGpsValues SidecarGpsValues(const GeoPosition& position);

// A minimal XMP packet holding only the position.
std::string NewSidecarPacket(const XmpGpsValues& values);

// The packet with the position set: the GPS properties it holds changed in place, or, when it
// holds no position, a description of them added before the end of its RDF; every other byte
// stays. False, with why, when the packet cannot be parsed or holds a position in a form this
// edit does not know.
bool EditSidecarPacket(const std::string& packet, const XmpGpsValues& values, std::string& edited,
                       std::string& why);

// Writes the position into the photo's existing sidecar (NAME.xmp, else NAME.EXT.xmp), or a new
// NAME.xmp: a new file beside it, flushed, renamed over it, the folder flushed. The packet
// written is read back and must give the position. A sidecar that cannot be parsed is left
// untouched, and the outcome says why.
WriteOutcome WriteSidecarPosition(const std::string& photoPath, const GeoPosition& position);

// As WriteSidecarPosition, into the sidecar at the path given, made when it does not exist.
WriteOutcome WriteSidecarFile(const std::string& sidecar, const GeoPosition& position);

}  // namespace geotal
