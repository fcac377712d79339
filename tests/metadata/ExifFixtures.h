// Photos whose EXIF data is laid out byte by byte here, the way cameras and other programs lay
// it out, to show that a write moves none of it.
#pragma once

#include <cstddef>
#include <string>

namespace geotal::test {

struct ExifShape {
    bool bigEndian = false;
    // A GPS directory (a position, an altitude, a satellite count and a map datum) between
    // the EXIF directory and IFD1, as cameras with a receiver place it.
    bool gps = false;
    // A maker note whose own directory points, by offsets from the TIFF header, at a preview
    // image further on; and a thumbnail in IFD1.
    bool makerNote = false;
    // When not 0, a user comment pads the EXIF segment to this many bytes, marker included.
    std::size_t segmentSize = 0;
};

struct JpegShape {
    ExifShape exif;
    std::string xmp;         // an XMP packet, none when empty
    bool others = false;     // a colour profile, IPTC data and a comment too
    std::string afterImage;  // bytes after the end of the image, as some phones add
};

// The whole JPEG file: the test photo's image data with these segments.
std::string MakeJpeg(const JpegShape& shape);

// An XMP packet with the given properties in its description (attributes such as
// exif:GPSLatitude="10,20.5N", or elements) and this much padding before its trailer.
std::string XmpPacket(const std::string& attributes, const std::string& elements,
                      std::size_t padding);

// The EXIF segment of a JPEG file (marker and length included), or "" when there is none.
std::string ExifSegment(const std::string& jpeg);

// The first segment whose data starts with signature, marker and length included; "" if none.
std::string SegmentStartingWith(const std::string& jpeg, const std::string& signature);

// Everything from the start of the scan to the end of the file.
std::string ImageAndAfter(const std::string& jpeg);

// Where after differs from before other than in what holds the GPS data: the EXIF segment's
// length, IFD0's GPS pointer (or the header's offset to IFD0) and what follows the old TIFF
// data; and the XMP segment, which is compared apart. The old GPS directory and its values must
// be zeros where they stay. "" when all is as it should be.
std::string DifferenceOutsideGps(const std::string& before, const std::string& after);

}  // namespace geotal::test
