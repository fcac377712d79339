// Reading one photo's capture time and stored GPS position.
#pragma once

#include <optional>
#include <string>

#include "photo/ListedExifTags.h"
#include "photo/Sidecar.h"
#include "support/GeoPosition.h"

namespace geotal {

// True when the photo has a capture time (DateTimeOriginal, else DateTime); the position is
// then the stored GPS position, or none when the GPS set is incomplete, off the globe or 0/0.
// False for a file without EXIF data or without either date: no position, captureTime left
// as it was.
bool ReadPhotoMetadata(const std::string& path, MaybePosition& position, double& captureTime);
// The same, and the offset from UTC the photo records (OffsetTimeOriginal, else OffsetTime) as
// its text, unchecked; empty when it records none or only blanks.
bool ReadPhotoMetadata(const std::string& path, MaybePosition& position, double& captureTime,
                       std::string& recordedOffset);

// What the list shows of one photo of any format the library reads.
struct PhotoFacts {
    MaybePosition position;
    double captureTime = 0;      // 0 when the photo gives none
    std::string recordedOffset;  // as for ReadPhotoMetadata, or the XMP date's offset
    std::string note;            // why the photo has no time, or where its position lies
};

// The capture time from EXIF (as ReadPhotoMetadata), else from XMP (exif:DateTimeOriginal, else
// photoshop:DateCreated). The position first from where the options write it, else from the
// other place: a JPEG's own EXIF GPS tags, unless positions go to sidecars only; otherwise its
// XMP sidecar (of the chosen naming where both exist). False, with the reason in the note and no
// position, when the file cannot be read or gives no capture time.
bool ReadPhotoFacts(const std::string& path, PhotoFacts& facts,
                    const SidecarOptions& sidecars = {});

// The listed tags of the photo at path as the metadata library reads them (the list reads a
// TIFF-based photo without it where it can); none when the library cannot read the file or the
// file holds no EXIF data.
std::optional<ListedExifTags> ReadListedTagsWithLibrary(const std::string& path);

// "YYYY:MM:DD HH:MM:SS" as an OLE Automation date; 0 when the fields give no valid moment.
// Fields are read at fixed places; a missing time reads as midnight.
double ParseExifDateTime(const std::string& text);

}  // namespace geotal
