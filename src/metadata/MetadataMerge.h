// Writing a photo with changed metadata into a new file: only the changed GPS bytes where that
// edit applies, the library's rewrite where it does not.
#pragma once

#include <string>

#include "files/FileOperations.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/GpsChange.h"

namespace geotal {

enum class MergeWay {
    // When the handle was read from source: source's bytes with just the GPS change made to its
    // GPS data (and to an XMP position it holds), every other byte in its place. Otherwise, and
    // where that edit cannot apply (no EXIF segment, EXIF data that does not parse, a segment
    // that would pass 64 KB), as Rewrite, keeping the XMP packet's text; the trace says why.
    OnlyWhatChanged,
    // exiv2 encodes all the metadata anew (which can move, drop or change other tags).
    Rewrite,
};

// Writes a new file at destination: source's image and other metadata with the GPS change
// made, flushed as flush says, with source's permissions. exif is the photo's metadata with the
// change set in it (SetGpsChange), which the library writes, with iptc when given, where the
// byte-level edit cannot make the change. Source is left untouched and an existing destination
// never replaced. False, with error, on failure; no destination file is then left behind. Given
// unchanged, a new file that would be source's very bytes is not written, and unchanged says so.
bool MergeMetadata(const std::string& source, const std::string& destination,
                   const ExifMetadata* exif, const IptcMetadata* iptc, const GpsChange& change,
                   MergeWay way, Flush flush, std::string& error, bool* unchanged = nullptr);

}  // namespace geotal
