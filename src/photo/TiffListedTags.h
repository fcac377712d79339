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

#include "photo/ListedExifTags.h"

namespace geotal {

// Bytes at given places of a file or a buffer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // The length bytes at offset at; false when they are not all there.
    virtual bool Read(std::uint64_t at, std::size_t length, std::string& bytes) = 0;
};

std::optional<ListedExifTags> ReadTiffListedTags(ByteSource& source);

// Of the bytes of a whole file.
std::optional<ListedExifTags> ReadTiffListedTagsOf(std::string_view file);

// Of the regular file at path, reading only the parts needed; none also when it cannot be read.
std::optional<ListedExifTags> ReadTiffListedTagsOfFile(const std::string& path);

}  // namespace geotal
