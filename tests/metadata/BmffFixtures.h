// ISO media files laid out byte by byte: boxes of every size form, a Canon CR3's TIFF blocks,
// a HEIF file's item tables; each part can be bent to show what a reader makes of a damaged or
// lying file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace geotal::test {

// A box with a 32-bit size; with a 64-bit one; with size 0, running to the end of what holds it.
std::string Box(const std::string& type, const std::string& content);
std::string LargeBox(const std::string& type, const std::string& content);
std::string ToEndBox(const std::string& type, const std::string& content);
// A box with a version and flags before its content.
std::string FullBox(const std::string& type, std::uint8_t version, const std::string& content);
std::string UuidBox(const std::string& userType, const std::string& content);
std::string FileType(const std::string& major, const std::vector<std::string>& compatible);

std::string BigEndian(std::uint64_t value, int bytes);

// A little-endian TIFF block whose first directory holds the given text and rational tags.
struct TiffTag {
    std::uint16_t tag;
    std::string text;                      // an ASCII value, when rationals is empty
    std::vector<std::uint32_t> rationals;  // numerator, denominator, ...
};
std::string TiffBlock(const std::vector<TiffTag>& tags);

// The user type of Canon's metadata box.
std::string CanonUuid();

// A CR3: its file type, then a movie box holding Canon's box with these boxes inside.
std::string Cr3(const std::string& canonBoxes);
// The boxes of a camera's usual CR3: its first directory, EXIF directory and GPS directory.
std::string Cr3Blocks();

// A HEIF file's Exif item data: the offset to the TIFF header, "Exif\0\0", then the TIFF data
// of a JPEG fixture's EXIF segment (dated 2010:01:01 12:00:00, at 10°20'30"S 5°10'15"W).
std::string ExifItem();

// How a HEIF file lays out its Exif item.
struct HeifShape {
    std::string major = "heic";
    int ilocVersion = 1;
    int infeVersion = 2;
    int constructionMethod = 0;
    int offsetSize = 4, lengthSize = 4, baseOffsetSize = 0;
    std::uint64_t baseOffset = 0;
    int pieces = 1;                 // the item data in this many extents, in reverse order
    std::int64_t offsetShift = 0;   // added to each extent's offset
    std::int64_t lengthShift = 0;   // added to the last extent's length
    bool lengthZero = false;        // the one extent's length given as 0, for "to the end"
    std::string item = ExifItem();  // the Exif item's data
    bool itemAtEnd = true;          // the data after the meta box, else before
    bool twoExifItems = false;      // a second item of type Exif, without a location
    bool exifLocatedTwice = false;  // the Exif item's location given twice
};

// ftyp, meta (hdlr, iinf with an image item and the Exif item, iloc), and the item data in an
// mdat box.
std::string Heif(const HeifShape& shape);

}  // namespace geotal::test
