#include "photo/JpegGpsEdit.h"

#include <algorithm>
#include <optional>

#include "photo/JpegSegments.h"
#include "photo/TiffBytes.h"
#include "photo/TiffField.h"
#include "photo/TiffGpsEdit.h"

namespace geotal {
namespace {

constexpr unsigned char kApp1 = 0xE1;
constexpr unsigned char kApp2 = 0xE2;
constexpr std::string_view kExifSignature("Exif\0\0", 6);
constexpr std::string_view kXmpSignature("http://ns.adobe.com/xap/1.0/\0", 29);
constexpr std::string_view kMultiPictureSignature("MPF\0", 4);
constexpr std::string_view kJfifSignature("JFIF\0", 5);
constexpr std::string_view kJfxxSignature("JFXX\0", 5);
constexpr unsigned char kApp0 = 0xE0;
constexpr std::size_t kLargestSegmentData = 0xFFFF - 2;

// Bytes of the file from begin to end replaced (or, when both are equal, inserted there).
struct Splice {
    std::size_t begin = 0, end = 0;
    std::string bytes;
};

std::string LengthBytes(std::size_t dataSize) {
    const std::size_t length = dataSize + 2;
    return {static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)};
}

// A segment's data replaced: from its length bytes on, so that the length follows the data.
Splice NewData(const JpegSegment& segment, const std::string& data) {
    return {segment.data - 2, segment.end, LengthBytes(data.size()) + data};
}

// The smallest TIFF data that holds a GPS directory: the header, an IFD0 whose one entry
// points at the GPS directory, and that directory, empty and last, so that the GPS edit
// replaces it rather than leaving it behind.
std::string EmptyExifTiff() {
    std::string tiff("II*\0", 4);
    Append32(tiff, 8, ByteOrder::Little);
    Append16(tiff, 1, ByteOrder::Little);
    Append16(tiff, kGpsPointerTag, ByteOrder::Little);  // a LONG of count 1
    Append16(tiff, 4, ByteOrder::Little);
    Append32(tiff, 1, ByteOrder::Little);
    Append32(tiff, 26, ByteOrder::Little);
    Append32(tiff, 0, ByteOrder::Little);  // no IFD1
    Append16(tiff, 0, ByteOrder::Little);  // the GPS directory at 26
    Append32(tiff, 0, ByteOrder::Little);
    return tiff;
}

// Where a new EXIF segment goes: readers look for it right after the start of the image, and
// JFIF wants its own APP0 segments (JFIF, then JFXX) first, so after those.
std::size_t NewExifPlace(const std::vector<JpegSegment>& segments, std::string_view jpeg) {
    std::size_t place = 2;
    for (const JpegSegment& segment : segments) {
        if (segment.marker != kApp0 || !(StartsWith(segment.Data(jpeg), kJfifSignature) ||
                                         StartsWith(segment.Data(jpeg), kJfxxSignature))) {
            break;
        }
        place = segment.end;
    }
    return place;
}

std::optional<std::size_t> FirstWith(const std::vector<JpegSegment>& segments,
                                     std::string_view jpeg, unsigned char marker,
                                     std::string_view signature) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].marker == marker && StartsWith(segments[i].Data(jpeg), signature)) {
            return i;
        }
    }
    return std::nullopt;
}

// A multi-picture index counts its images' offsets from itself; the images follow the end of
// this image, so a segment between the two must keep its size.
bool MayChangeSize(const std::vector<JpegSegment>& segments, std::string_view jpeg,
                   std::size_t changed) {
    const std::optional<std::size_t> index =
        FirstWith(segments, jpeg, kApp2, kMultiPictureSignature);
    return !index || changed < *index;
}

std::string Assemble(std::string_view jpeg, std::vector<Splice> changes) {
    std::sort(changes.begin(), changes.end(),
              [](const Splice& a, const Splice& b) { return a.begin < b.begin; });
    std::string out;
    out.reserve(jpeg.size() + 1024);
    std::size_t copied = 0;
    for (const Splice& change : changes) {
        out.append(jpeg.substr(copied, change.begin - copied));
        out += change.bytes;
        copied = change.end;
    }
    out.append(jpeg.substr(copied));
    return out;
}

GpsEditOutcome Refused(std::string reason) {
    GpsEditOutcome outcome;
    outcome.reason = std::move(reason);
    return outcome;
}

}  // namespace

GpsEditOutcome EditJpegGps(std::string_view jpeg, const GpsChange& change, std::string& edited) {
    std::vector<JpegSegment> segments;
    std::string why;
    if (!ListJpegSegments(jpeg, segments, why)) {
        return Refused(why);
    }
    const std::optional<std::size_t> exif = FirstWith(segments, jpeg, kApp1, kExifSignature);
    const std::string oldTiff =
        exif ? std::string(segments[*exif].Data(jpeg).substr(kExifSignature.size()))
             : EmptyExifTiff();
    std::string tiff;
    if (EditTiffGps(oldTiff, change, tiff, why) == TiffEditResult::Refused) {
        return Refused(why);
    }
    const std::string exifData = std::string(kExifSignature) + tiff;
    if (exifData.size() > kLargestSegmentData) {
        return Refused("the EXIF segment would pass 64 KB");
    }
    std::vector<Splice> changes;
    if (!exif && (jpeg.size() < 4 || jpeg[2] != '\xFF' || jpeg[3] == '\xFF')) {
        // Fill bytes right after the start: decoders disagree on where the first segment
        // begins, so no place for a new segment keeps every reader's view of the rest.
        return Refused("fill bytes follow the start of the image");
    }
    if (!exif) {
        // Inserted before every other segment, a multi-picture index too, whose offsets
        // count from itself and so stay right.
        const std::size_t place = NewExifPlace(segments, jpeg);
        changes.push_back({place, place, "\xFF\xE1" + LengthBytes(exifData.size()) + exifData});
    } else if (exifData.size() != segments[*exif].end - segments[*exif].data &&
               !MayChangeSize(segments, jpeg, *exif)) {
        return Refused("the EXIF segment follows a multi-picture index and would change its size");
    } else {
        changes.push_back(NewData(segments[*exif], exifData));
    }

    GpsEditOutcome outcome;
    outcome.result = GpsEditResult::Edited;
    if (const std::optional<std::size_t> xmp = FirstWith(segments, jpeg, kApp1, kXmpSignature)) {
        const JpegSegment& xmpSegment = segments[*xmp];
        const std::string_view packet = xmpSegment.Data(jpeg).substr(kXmpSignature.size());
        std::string newPacket;
        outcome.xmp = EditXmpGps(packet, ToXmpGpsValues(change), newPacket);
        if (outcome.xmp == XmpEditResult::UnknownForm) {
            outcome.xmpLeft = "the XMP position is in a form this program does not change";
        } else if (outcome.xmp == XmpEditResult::Edited) {
            if (kXmpSignature.size() + newPacket.size() > kLargestSegmentData) {
                outcome.xmpLeft = "the XMP segment would pass 64 KB";
            } else if (newPacket.size() != packet.size() && !MayChangeSize(segments, jpeg, *xmp)) {
                outcome.xmpLeft =
                    "the XMP segment follows a multi-picture index and would change its size";
            } else if (newPacket != packet) {
                changes.push_back(NewData(xmpSegment, std::string(kXmpSignature) + newPacket));
            }
        }
    }
    edited = Assemble(jpeg, std::move(changes));
    return outcome;
}

}  // namespace geotal
