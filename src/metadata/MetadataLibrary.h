// The image-metadata library interface: open a photo's EXIF and IPTC data as handles, read and
// set the date and GPS tags through them, and write a copy of the photo with changed metadata.
// Thin operations over the exiv2 adapter (Exiv2Metadata.h) and the merge and check policies.
#pragma once

#include <cstdint>
#include <string>

#include "files/FileOperations.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/MetadataMerge.h"

namespace geotal {

// Every call but the two releases returns nonzero on success and 0 on failure. No call throws.
//
// Opens the file's metadata. The EXIF handle comes back whenever the file could be read and
// holds EXIF data; it stays null otherwise. Flags:
//   iptcFlag nonzero:  also hand back the IPTC handle when the file holds IPTC data.
//   writeFlag nonzero: the call reports 0 when the file's format cannot take new EXIF data.
int cGetImageFileMetadata(const std::string& path, int iptcFlag, int writeFlag, ExifHandle& exif,
                          IptcHandle& iptc);

// For a JPEG file without EXIF data: an EXIF handle without tags, into which the GPS tags are
// put as for any photo, and which cMergeMetadata then writes as a new EXIF segment. Returns 0,
// with why, for a file that is not a JPEG file (whatever its name), that cannot be read, that is
// cut short before the end of its image, or that has an EXIF segment (one the library could
// not read is not to be replaced).
int cNewJpegEXIF(const std::string& path, ExifHandle& exif, std::string& why);

// Getters fail (0) when the tag is absent or unusable, leaving the outputs alone.
int cEXIF_GetDateTimeOriginal(const ExifMetadata* exif, std::string& text);
int cEXIF_GetDateTime(const ExifMetadata* exif, std::string& text);
// The offset from UTC of DateTimeOriginal and of DateTime, as the file holds it ("+02:00").
int cEXIF_GetOffsetTimeOriginal(const ExifMetadata* exif, std::string& text);
int cEXIF_GetOffsetTime(const ExifMetadata* exif, std::string& text);
int cEXIF_GetGPSLatitude(const ExifMetadata* exif, double& degrees, double& minutes,
                         double& seconds);
int cEXIF_GetGPSLongitude(const ExifMetadata* exif, double& degrees, double& minutes,
                          double& seconds);
int cEXIF_GetGPSLatitudeRef(const ExifMetadata* exif, std::string& text);
int cEXIF_GetGPSLongitudeRef(const ExifMetadata* exif, std::string& text);

// Setters change only what the handle holds; the file is written by cMergeMetadata.
int cEXIF_PutGPSVersion(ExifMetadata* exif, const std::string& version);  // "2200" = 2.2.0.0
int cEXIF_PutGPSLatitude(ExifMetadata* exif, double degrees, double minutes, double seconds);
int cEXIF_PutGPSLongitude(ExifMetadata* exif, double degrees, double minutes, double seconds);
int cEXIF_PutGPSLatitudeRef(ExifMetadata* exif, const std::string& ref);   // "N" or "S"
int cEXIF_PutGPSLongitudeRef(ExifMetadata* exif, const std::string& ref);  // "E" or "W"
int cEXIF_PutGPSAltitude(ExifMetadata* exif, double altitude);             // not negative
int cEXIF_PutGPSAltitudeRef(ExifMetadata* exif, int ref);                  // 0 above, 1 below
int cEXIF_PutGPSDateStamp(ExifMetadata* exif, const std::string& date);    // "2010:01:31", UTC
int cEXIF_PutGPSTimeStamp(ExifMetadata* exif, double hours, double minutes, double seconds);
// Takes the GPS tag out of the handle, where it is; nonzero also when it was not there.
int cEXIF_RemoveGPSTag(ExifMetadata* exif, std::uint16_t tag);

// Writes a new file at destination: the source's image and other metadata with the handles'
// EXIF (and IPTC, when given) data, flushed to disk as flush says, with the source's permissions.
// The source is left untouched, and an existing destination is never replaced. On failure the error
// text says why and no destination file is left behind.
int cMergeMetadata(const std::string& source, const std::string& destination,
                   const ExifMetadata* exif, const IptcMetadata* iptc, std::string& errorText,
                   MergeWay way = MergeWay::OnlyWhatChanged, Flush flush = Flush::Now,
                   bool* unchanged = nullptr);

// Reads the file at path back and checks that it opens and holds every tag of expected with
// the same value: the EXIF tags (the photo's, with those just set), and the IPTC and XMP tags,
// JPEG comment and colour profile of the photo expected was read from. Only pointers to
// directories, which a write may move, are compared by what they point to; XMP position
// properties by being there. On failure errorText says which tag differs, or why the file
// cannot be read.
int cCheckMetadata(const std::string& path, const ExifMetadata* expected, std::string& errorText);

void cDestroyEXIF(ExifHandle& exif);
void cDestroyIPTC(IptcHandle& iptc);

}  // namespace geotal
