// The pictures of HEIF and AVIF files (phones' HEIC, cameras' HIF, AVIF), which neither the
// metadata library's previews nor Qt's image plugins give: decoded through libheif.
#pragma once

#include <string>
#include <vector>

namespace geotal {

// Pixels as 8-bit red, green and blue, rows top to bottom with no padding between them.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Whether the file name's extension is one of HEIF's or AVIF's (.heic, .heif, .hif, .avif),
// in any letter case.
bool IsHeifFileName(const std::string& fileName);

// The picture of the HEIF or AVIF file at path for showing about minSide pixels on its longer
// side: the file's own thumbnail of the primary image when one is that big, else the primary
// image whole. Turned and mirrored as the file says, so it stands upright. False, with why,
// when the file cannot be read or decoded.
bool DecodeHeifPicture(const std::string& path, int minSide, RgbPicture& picture, std::string& why);

}  // namespace geotal
