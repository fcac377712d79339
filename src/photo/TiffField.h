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

}  // namespace geotal
