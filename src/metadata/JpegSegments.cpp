#include "metadata/JpegSegments.h"

namespace geotal {
namespace {

constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kStartOfScan = 0xDA;

unsigned char ByteAt(std::string_view jpeg, std::size_t at) {
    return static_cast<unsigned char>(jpeg[at]);
}

// Markers that stand alone, without a length: the restart markers and TEM.
bool HasNoLength(unsigned char marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

bool StartsWith(std::string_view data, std::string_view signature) {
    return data.substr(0, signature.size()) == signature;
}

bool HasWholeImage(std::string_view jpeg, const std::vector<JpegSegment>& segments) {
    std::size_t at = segments.empty() ? 2 : segments.back().end;
    while (at < jpeg.size() && ByteAt(jpeg, at) != 0xFF) {
        ++at;  // stray bytes, as the listing passes them over
    }
    while (at < jpeg.size() && ByteAt(jpeg, at) == 0xFF) {
        ++at;
    }
    // Within the scan's data a 0xFF byte is followed by 0 or a restart marker, so the first
    // end-of-image marker after it ends the image.
    return at < jpeg.size() && ByteAt(jpeg, at) == kStartOfScan &&
           jpeg.find("\xFF\xD9", at) != std::string_view::npos;
}

bool ListJpegSegments(std::string_view jpeg, std::vector<JpegSegment>& segments, std::string& why) {
    segments.clear();
    if (jpeg.size() < 2 || ByteAt(jpeg, 0) != 0xFF || ByteAt(jpeg, 1) != kStartOfImage) {
        why = "not a JPEG file (no start-of-image marker)";
        return false;
    }
    std::size_t at = 2;
    while (at < jpeg.size()) {
        // Stray bytes before a marker are skipped, as decoders and the metadata library do;
        // they are copied as they are all the same.
        while (at < jpeg.size() && ByteAt(jpeg, at) != 0xFF) {
            ++at;
        }
        const std::size_t start = at;
        while (at < jpeg.size() && ByteAt(jpeg, at) == 0xFF) {
            ++at;  // fill bytes before a marker are allowed
        }
        if (at >= jpeg.size()) {
            break;
        }
        const unsigned char marker = ByteAt(jpeg, at++);
        if (marker == kStartOfScan || marker == kEndOfImage) {
            return true;
        }
        if (HasNoLength(marker)) {
            segments.push_back({marker, start, at, at});
            continue;
        }
        if (jpeg.size() - at < 2) {
            why = "a segment's length runs past the end of the file";
            return false;
        }
        const std::size_t length =
            static_cast<std::size_t>(ByteAt(jpeg, at)) << 8 | ByteAt(jpeg, at + 1);
        if (length < 2 || length > jpeg.size() - at) {
            why = "a segment's length runs past the end of the file";
            return false;
        }
        segments.push_back({marker, start, at + 2, at + length});
        at += length;
    }
    return true;
}

}  // namespace geotal
