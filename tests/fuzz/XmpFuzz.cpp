// Any bytes as an XMP sidecar: a position written into it either is refused, or reads back
// exactly through the list's own reading, every other property kept; and the written packet
// takes the same write again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzChecks.h"
#include "metadata/AdobeXmp.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/SidecarGpsEdit.h"
#include "metadata/XmpValues.h"
#include "photo/SidecarWriter.h"
#include "support/Angles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace geotal;
    const std::string packet(reinterpret_cast<const char*>(data), size);
    // What the list reads of it must not fail in any other way than saying so.
    TagTexts xmp;
    std::string why;
    if (ParseXmpPacket(packet, xmp, why)) {
        XmpPosition(xmp);
        XmpCaptureTime(xmp);
    }
    const GeoPosition position = {
        DegreesToArcSeconds(-33.8651), DegreesToArcSeconds(151.2095), 12.5, {}};
    const XmpExifEdit edit = SidecarGpsEdit(position);
    std::string edited;
    if (!EditSidecarGps(packet, edit, edited, why)) {
        return 0;
    }
    MaybePosition read;
    fuzz::Require(ReadSidecarPosition(edited, read, why), "a written packet parses");
    fuzz::Require(read && std::fabs(read->latitude - position.latitude) < 1e-6 &&
                      std::fabs(read->longitude - position.longitude) < 1e-6,
                  "a written packet reads back with the position");
    fuzz::Require(SamePropertiesBesideGps(packet, edited), "every other property is kept");
    std::string again;
    fuzz::Require(EditSidecarGps(edited, edit, again, why), "a written packet takes a rewrite");
    fuzz::Require(SamePropertiesBesideGps(edited, again), "a rewrite keeps the properties");
    return 0;
}
