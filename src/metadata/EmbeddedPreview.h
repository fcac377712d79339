// The picture a photo carries for quick display: a JPEG's EXIF thumbnail, a RAW file's smaller
// renderings. Decoding one of these instead of the photo itself is what makes a list of RAW
// files show its pictures in moments.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace geotal {

// One embedded preview as the photo lists it, before its bytes are read.
struct PreviewSize {
    int width = 0;
    int height = 0;
    std::size_t bytes = 0;
};

// The previews worth decoding for a picture whose longer side is to be at least minSide
// pixels, best first: those whose longer side reaches minSide, smallest (fewest pixels, then
// fewest bytes) first, then the smaller ones, largest first, down to half of minSide; a smaller
// one would look like a smudge. Several, since a preview's bytes may turn out broken.
std::vector<std::size_t> PreviewOrder(const std::vector<PreviewSize>& previews, int minSide);

struct EmbeddedPreview {
    std::string bytes;     // the encoded picture, a file of its own (JPEG, TIFF...)
    std::string mimeType;  // as the metadata library names it: "image/jpeg", "image/tiff"
    int width = 0;
    int height = 0;
    // The photo's EXIF orientation (1 to 8, 1 when it records none or another value): the
    // preview is stored as the sensor saw it, and is turned by this to be shown upright.
    int orientation = 1;
};

// The preview of the photo at path that comes after skip others in PreviewOrder for minSide,
// with the photo's orientation. False, with why, when the file cannot be read or holds no such
// preview (a PNG, a HEIC, a JPEG without an EXIF thumbnail, or none left after skip). A CR3
// the metadata library gives up on has its previews read box by box (ReadCr3Preview), with
// why then the library's reason.
bool ReadEmbeddedPreview(const std::string& path, int minSide, std::size_t skip,
                         EmbeddedPreview& preview, std::string& why);

// The same for a CR3 file read box by box, without the metadata library.
bool ReadCr3Preview(const std::string& path, int minSide, std::size_t skip,
                    EmbeddedPreview& preview);

}  // namespace geotal
