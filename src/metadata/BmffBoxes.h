// The boxes of an ISO base media file (CR3, HEIC, HEIF, AVIF, MP4): a size, a four-character
// type, and content that is data or more boxes. A box's size is what the file claims; a box
// that does not fit where it stands ends the walk, and nothing is read past its parent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "metadata/ByteSource.h"

namespace geotal {

struct BmffBox {
    std::string type;           // four characters
    std::string userType;       // the sixteen bytes that name a "uuid" box; empty for others
    std::uint64_t content = 0;  // where the content starts, after the header
    std::uint64_t end = 0;      // where the box ends
};

// The boxes one after another from at up to end, at most most of them. A size of 0 runs to end;
// a size of 1 is followed by a 64-bit size. The walk stops before a box whose header is cut
// off, whose size is smaller than its header, or that runs past end: where the next box would
// start is then unknown.
std::vector<BmffBox> ReadBmffBoxes(ByteSource& source, std::uint64_t at, std::uint64_t end,
                                   std::size_t most);

// The one box of the type (and user type, for "uuid" boxes) among boxes; none when there is
// none, and when there are two: a file says once where its data is, and which of two counts is
// anybody's guess (the metadata library reads both).
std::optional<BmffBox> OnlyBmffBox(const std::vector<BmffBox>& boxes, const std::string& type,
                                   const std::string& userType = {});

}  // namespace geotal
