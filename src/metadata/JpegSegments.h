// The marker segments at the head of a JPEG file, before its image data.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace geotal {

struct JpegSegment {
    unsigned char marker = 0;  // 0xE1 for APP1, ...
    std::size_t start = 0;     // of the segment's 0xFF
    std::size_t data = 0;      // of the bytes after the two length bytes
    std::size_t end = 0;       // just past the segment
    std::string_view Data(std::string_view jpeg) const { return jpeg.substr(data, end - data); }
};

// The segments from the start-of-image marker to the start of the scan (not included), or to
// the end of the bytes when there is none; bytes between segments that begin no marker are
// passed over. False, with why, when the bytes do not begin as a JPEG file or a segment's
// length runs past their end.
bool ListJpegSegments(std::string_view jpeg, std::vector<JpegSegment>& segments, std::string& why);

// Whether image data follows the segments listed: a start of scan right after the last of
// them and, after it, an end-of-image marker; a file cut short in its image data has none.
bool HasWholeImage(std::string_view jpeg, const std::vector<JpegSegment>& segments);

// The payload that follows a signature such as "Exif\0\0" at the start of a segment's data.
bool StartsWith(std::string_view data, std::string_view signature);

}  // namespace geotal
