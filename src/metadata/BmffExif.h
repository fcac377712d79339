// The listed EXIF tags of an ISO media photo read from its boxes alone, without the metadata
// library: a Canon CR3's TIFF blocks in its own box of the movie box, a HEIC, HEIF or AVIF
// file's "Exif" item. The library gives up on a whole file for damage in a part that holds no
// date (a colour profile, a cut-off image stream); the dates and position are then often plain.
//
// The TIFF blocks are read as ReadTiffListedTags reads a file: anything unusual in them answers
// none. Boxes that do not fit where they stand end the search, and neither their content nor
// anything after them is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "metadata/ByteSource.h"
#include "metadata/ListedExifTags.h"

namespace geotal {

// None for a file of another kind (told by its "ftyp" box), and for one whose EXIF data cannot
// be found or read plainly.
std::optional<ListedExifTags> ReadBmffListedTags(ByteSource& file);

// Of the bytes of a whole file.
std::optional<ListedExifTags> ReadBmffListedTagsOf(std::string_view file);

// Of the regular file at path, reading only the parts needed; none also when it cannot be read.
std::optional<ListedExifTags> ReadBmffListedTagsOfFile(const std::string& path);

}  // namespace geotal
