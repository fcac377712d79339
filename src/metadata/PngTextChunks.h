// The text chunks of a PNG file, told by their keyword without reading their text.
#pragma once

#include <string>

namespace geotal {

// Whether the PNG file at path keeps EXIF data in a text chunk, as image editors did before PNG
// had a chunk of its own for it ("Raw profile type exif" or "... APP1", hex in a zTXt or tEXt
// chunk): the metadata library does not decode it. False for any other file, or one cut short.
bool HoldsLegacyExifText(const std::string& path);

}  // namespace geotal
