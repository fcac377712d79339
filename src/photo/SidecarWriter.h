// Writing a position into the XMP sidecar of a photo whose own bytes are never changed.
#pragma once

#include <string>

#include "metadata/XmpGpsEdit.h"
#include "photo/PhotoWriter.h"
#include "support/GeoPosition.h"

namespace geotal {

// The change a position makes to a sidecar's GPS properties, in XMP's forms: the same tags as
// the photo's EXIF data gets, the old fix's properties taken out, the hemisphere said once.
// No position takes every GPS property a position's write sets or takes out.
XmpExifEdit SidecarGpsEdit(const MaybePosition& position);

// Writes the position into the photo's existing sidecar (NAME.xmp, else NAME.EXT.xmp), or a new
// NAME.xmp: a new file beside it, flushed, renamed over it, the folder flushed. The sidecar is
// edited through an XMP toolkit, and the packet written must read back with the position and
// every other property the sidecar had. A sidecar that cannot be parsed, or whose properties
// could not all be kept, is left untouched, and the outcome says why.
WriteOutcome WriteSidecarPosition(const std::string& photoPath, const GeoPosition& position);

// As WriteSidecarPosition, into the sidecar at the path given, made when it does not exist. No
// position takes the sidecar's out: a sidecar that is not there, or holds none of the GPS
// properties, is left as it is (never made), and the outcome says unchanged.
WriteOutcome WriteSidecarFile(const std::string& sidecar, const MaybePosition& position);

}  // namespace geotal
