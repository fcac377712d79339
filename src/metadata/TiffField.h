// One TIFF directory entry as the GPS edit writes it: a tag, a TIFF type and its numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace geotal {

// The TIFF types (EXIF uses the same numbers); only these are written.
enum class TiffType : std::uint16_t {
    Byte = 1,
    Ascii = 2,
    Short = 3,
    Long = 4,
    Rational = 5,
    Undefined = 7,
};

struct TiffField {
    std::uint16_t tag = 0;
    TiffType type = TiffType::Byte;
    // One number per byte, character, short or long; two per rational (numerator first).
    std::vector<std::uint32_t> values;
};

// The size of one component of a TIFF type (any of the twelve EXIF types and IFD), 0 for a
// type this program does not know.
std::size_t TiffTypeSize(std::uint16_t type);

// The entry's count: its components, a rational counting once.
std::uint32_t TiffCount(const TiffField& field);

// Whether the numbers fit the type (a byte below 256, rationals in pairs, at least one).
bool IsWritable(const TiffField& field);

// The directory layout: the size of an entry, and the first directory's pointers to the EXIF
// and GPS directories.
constexpr std::size_t kTiffEntrySize = 12;
constexpr std::uint16_t kExifPointerTag = 0x8769;
constexpr std::uint16_t kGpsPointerTag = 0x8825;

// Whether an entry of this type and count points at one directory, as readers follow it:
// a LONG, or a signed LONG or IFD as some writers give it.
bool IsDirectoryPointer(std::uint16_t type, std::uint32_t count);

}  // namespace geotal
