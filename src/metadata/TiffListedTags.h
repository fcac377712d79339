// The listed EXIF tags of a TIFF-based photo (most RAW formats, DNG, TIFF) read straight from its
// first directory and the EXIF and GPS directories that one points to. The metadata library
// parses a RAW file's maker notes too, thousands of entries the list never shows, and that made
// listing RAW files several times slower than JPEGs.
//
// The reader answers only where it reads the tags exactly as the library does; for anything
// out of the ordinary (a directory or value outside the file, a pointer of an odd type, a text
// that is not ASCII, directories that overlap) it answers none and leaves the file to the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metadata/ByteSource.h"
#include "metadata/ListedExifTags.h"

namespace geotal {

std::optional<ListedExifTags> ReadTiffListedTags(ByteSource& source);

// The kinds of directory the listed tags lie in.
enum class TiffDirectory { Image, Exif, Gps };

// The listed tags of one kind of directory, read with the same care from the first directory of
// the TIFF data of source: a Canon CR3 keeps its EXIF and GPS tags each in the first directory
// of a TIFF block of its own. They are set in tags, whose tags of other kinds stay as they are;
// pointers to other directories are not followed. False, with tags unchanged, where
// ReadTiffListedTags would answer none.
bool ReadTiffDirectoryTags(ByteSource& source, TiffDirectory kind, ListedExifTags& tags);

// Of the bytes of a whole file.
std::optional<ListedExifTags> ReadTiffListedTagsOf(std::string_view file);

// Of the regular file at path, reading only the parts needed; none also when it cannot be read.
std::optional<ListedExifTags> ReadTiffListedTagsOfFile(const std::string& path);

}  // namespace geotal
