// Putting GPS tags into the TIFF data of an EXIF segment without moving any other byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "metadata/GpsChange.h"

namespace geotal {

enum class TiffEditResult {
    Edited,   // edited holds the new TIFF data
    Refused,  // the data does not parse as this edit needs it; why says what is wrong
};

// Makes edited from tiff (the TIFF data of an EXIF segment, from its byte-order mark on): a
// GPS directory holding the change's fields and every entry of the old one the change neither
// sets nor removes goes at the end, and
// IFD0's pointer to it is patched; an IFD0 without that pointer is copied to the end with it
// added, and the header's offset to IFD0 patched. Every other byte keeps its place, so the
// offsets in maker notes, previews and thumbnails stay right. A GPS directory that already
// ends the data (as this edit leaves it) is replaced rather than added to, so that writing a
// photo again does not make it grow. A removal (IsRemoval) that leaves the GPS directory
// empty takes it out, the end of the data it filled or its bytes zeroed, and IFD0's pointer
// entry out of IFD0's table in place; data without a GPS directory comes back as it was.
TiffEditResult EditTiffGps(std::string_view tiff, const GpsChange& change, std::string& edited,
                           std::string& why);

}  // namespace geotal
