// Reading one photo's capture time and stored GPS position.
#pragma once

#include <optional>
#include <string>

#include "metadata/ExifDateTime.h"
#include "metadata/ListedExifTags.h"
#include "photo/Sidecar.h"
#include "support/GeoPosition.h"

namespace geotal {

// The tags a capture time comes from, as messages name them.
inline constexpr const char* kTagDateTimeOriginal = "DateTimeOriginal";
inline constexpr const char* kTagXmpDateTimeOriginal = "XMP exif:DateTimeOriginal";
inline constexpr const char* kTagXmpDateCreated = "XMP photoshop:DateCreated";
inline constexpr const char* kTagDateTimeDigitized = "DateTimeDigitized";
inline constexpr const char* kTagDateTime = "DateTime";

// Which tag gave a capture time, as a person reads it: "Time from DateTimeDigitized"; for
// DateTime, that it is the file's last change and no capture time. Empty for no tag, and for
// DateTimeOriginal, the tag every camera writes, which goes without saying.
std::string DescribeTimeTag(const std::string& tag);

// What the list shows of one photo of any format the library reads.
struct PhotoFacts {
    MaybePosition position;
    std::optional<double> captureTime;  // none when the photo gives none
    // The offset from UTC the photo records (OffsetTimeOriginal, else OffsetTime) as its text,
    // unchecked, or the XMP date's offset; empty when it records none or only blanks.
    std::string recordedOffset;
    std::string timeTag;  // the tag the capture time came from (kTag...)
    std::string camera;   // CameraName; empty when the photo names none
    std::string note;     // why the photo has no time, or where its position lies
};

// The camera as the photo names it: its model, after its maker where the model does not say it
// ("Canon EOS 40D", "NIKON CORPORATION NIKON D5300" stays as written), and the body's serial
// number where recorded ("Canon EOS 5D Mark III #033024001432"); empty when it names none.
std::string CameraName(const ListedExifTags& tags);

// The capture time by how surely each tag says when the photo was taken: EXIF's
// DateTimeOriginal, then the photo's XMP (exif:DateTimeOriginal, then photoshop:DateCreated),
// then DateTimeDigitized (when it was scanned), and DateTime (its last change) last; a capture
// date without a time of day gives no time, and the note says which day. The position first
// from where the options write it, else from the other place: a JPEG's own EXIF GPS tags,
// unless positions go to sidecars only; otherwise its XMP sidecar (of the chosen naming where
// both exist). False, with the reason in the note and no position, when the file cannot be
// read or gives no capture time. listed, when given, is the listing of the photo's folder: the
// sidecar names it cannot hold are not looked for.
bool ReadPhotoFacts(const std::string& path, PhotoFacts& facts, const SidecarOptions& sidecars = {},
                    const SidecarNames* listed = nullptr);

// The position the photo's own tags hold (not its sidecar's), read as the list reads them: from
// a TIFF-based file's directories, through the library, or from an ISO media file's EXIF
// data; none where they hold none, or none that is usable.
MaybePosition ReadOwnPosition(const std::string& path);

// The listed tags of the photo at path as the metadata library reads them (the list reads a
// TIFF-based photo without it where it can); none when the library cannot read the file or the
// file holds no EXIF data.
std::optional<ListedExifTags> ReadListedTagsWithLibrary(const std::string& path);

}  // namespace geotal
