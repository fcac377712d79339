// Where an item of a HEIF file (HEIC, HEIF, AVIF) lies: its metadata box names each item and
// its type ("Exif", "mime", "hvc1", ...) and says in which stretches of the file its data is.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "metadata/BmffBoxes.h"
#include "metadata/ByteSource.h"

namespace geotal {

// The stretches of the file that hold, one after the other, the data of the first item of the
// type that the meta box lists. None when there is no such item, its data lies elsewhere than
// in the file's own bytes (in the meta box, in another item, in another file), or the boxes that
// say where do not read plainly. A stretch said to run to the end of the file does; others
// are as the file gives them, not checked against its size.
std::optional<std::vector<Extent>> FindHeifItem(ByteSource& file, const BmffBox& meta,
                                                const std::string& itemType);

}  // namespace geotal
