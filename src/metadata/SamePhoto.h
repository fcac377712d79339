// Whether two files are versions of one photo, whatever their metadata says beyond that.
#pragma once

#include <string>

namespace geotal {

// True when both are JPEG files with the same image data (every byte from the start of the
// scan on), taken at the same moment by the same camera (DateTimeOriginal, Make and Model, each
// the same or missing in both): an earlier and a later version of one photo, such as a backup
// and the photo after a position was written. Any doubt (a file unreadable, no image data) is
// false.
bool AreVersionsOfOnePhoto(const std::string& a, const std::string& b);

// Why the photo at current is more than the photo at earlier with another position: empty when
// both are versions of one photo (AreVersionsOfOnePhoto), every segment before the image data
// but the APP1 ones (EXIF and XMP) holds the same bytes in both, and their tags, IPTC data, XMP
// properties, comment and colour profile are the same but for the GPS ones (EXIF's GPS
// directory, XMP's exif:GPS properties). A photo that had no EXIF data may have gained the
// four tags of the EXIF segment a position write makes for it. Else the first difference
// found, as "Exif.Image.Artist changed"; a file that cannot be read says why.
std::string DifferenceBesidePosition(const std::string& earlier, const std::string& current);

}  // namespace geotal
