#include "metadata/JpegGpsEdit.h"

#include <algorithm>
#include <optional>

#include "metadata/JpegSegments.h"
#include "metadata/TiffBytes.h"
#include "metadata/TiffField.h"
#include "metadata/TiffGpsEdit.h"

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

JpegResolution JfifResolution(const std::vector<JpegSegment>& segments, std::string_view jpeg) {
    JpegResolution resolution;
    for (const JpegSegment& segment : segments) {
        const std::string_view data = segment.Data(jpeg);
        if (segment.marker != kApp0 || !StartsWith(data, kJfifSignature) || data.size() < 12) {
            continue;
        }
        // After the signature: the version (2 bytes), the units, then each density in 2 bytes.
        const auto byte = [&data](std::size_t at) { return static_cast<unsigned char>(data[at]); };
        const std::uint16_t units = byte(7);
        const std::uint32_t x = byte(8) << 8 | byte(9);
        const std::uint32_t y = byte(10) << 8 | byte(11);
        if ((units == 1 || units == 2) && x > 0 && y > 0) {
            resolution = {x, y, static_cast<std::uint16_t>(units + 1)};
        }
        break;
    }
    return resolution;
}

// The smallest TIFF data that holds a GPS directory and the entries IFD0 must have: the image's
// resolution with its unit and how its chroma samples lie (centred, as JFIF has them), then the
// pointer to the GPS directory, which comes empty and last, so that the GPS edit replaces it
// rather than leaving it behind.
std::string EmptyExifTiff(const JpegResolution& resolution) {
    constexpr ByteOrder kOrder = ByteOrder::Little;
    constexpr std::uint32_t kFirst = 8;
    constexpr std::uint16_t kEntries = 5;
    constexpr std::uint32_t kValues = kFirst + 2 + kEntries * kTiffEntrySize + 4;
    const auto entry = [](std::string& tiff, std::uint16_t tag, std::uint16_t type,
                          std::uint32_t value) {
        Append16(tiff, tag, kOrder);
        Append16(tiff, type, kOrder);
        Append32(tiff, 1, kOrder);
        Append32(tiff, value, kOrder);
    };
    std::string tiff("II*\0", 4);
    Append32(tiff, kFirst, kOrder);
    Append16(tiff, kEntries, kOrder);
    entry(tiff, 0x011A, 5, kValues);          // XResolution, a RATIONAL after the directory
    entry(tiff, 0x011B, 5, kValues + 8);      // YResolution
    entry(tiff, 0x0128, 3, resolution.unit);  // ResolutionUnit, a SHORT held in place
    entry(tiff, 0x0213, 3, 1);                // YCbCrPositioning: centred
    entry(tiff, kGpsPointerTag, 4, kValues + 16);
    Append32(tiff, 0, kOrder);  // no IFD1
    for (const std::uint32_t density : {resolution.x, resolution.y}) {
        Append32(tiff, density, kOrder);
        Append32(tiff, 1, kOrder);
    }
    Append16(tiff, 0, kOrder);  // the GPS directory, empty
    Append32(tiff, 0, kOrder);
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

// The EXIF segment with the change made, or a new one for a photo without; refused with why.
GpsEditOutcome EditExif(std::string_view jpeg, const std::vector<JpegSegment>& segments,
                        const std::optional<std::size_t>& exif, const GpsChange& change,
                        std::optional<Splice>& splice) {
    std::string why;
    const std::string oldTiff =
        exif ? std::string(segments[*exif].Data(jpeg).substr(kExifSignature.size()))
             : EmptyExifTiff(JfifResolution(segments, jpeg));
    std::string tiff;
    if (EditTiffGps(oldTiff, change, tiff, why) == TiffEditResult::Refused) {
        return Refused(why);
    }
    const std::string exifData = std::string(kExifSignature) + tiff;
    if (exifData.size() > kLargestSegmentData) {
        return Refused("the EXIF segment would pass 64 KB");
    }
    if (!exif && (jpeg.size() < 4 || jpeg[2] != '\xFF' || jpeg[3] == '\xFF')) {
        // Fill bytes right after the start: decoders disagree on where the first segment
        // begins, so no place for a new segment keeps every reader's view of the rest.
        return Refused("fill bytes follow the start of the image");
    }
    if (!exif) {
        // Inserted before every other segment, a multi-picture index too, whose offsets
        // count from itself and so stay right.
        const std::size_t place = NewExifPlace(segments, jpeg);
        splice = Splice{place, place, "\xFF\xE1" + LengthBytes(exifData.size()) + exifData};
    } else if (exifData.size() != segments[*exif].end - segments[*exif].data &&
               !MayChangeSize(segments, jpeg, *exif)) {
        return Refused("the EXIF segment follows a multi-picture index and would change its size");
    } else {
        splice = NewData(segments[*exif], exifData);
    }
    GpsEditOutcome outcome;
    outcome.result = GpsEditResult::Edited;
    return outcome;
}

}  // namespace

JpegResolution NewExifResolution(std::string_view jpeg) {
    std::vector<JpegSegment> segments;
    std::string why;
    ListJpegSegments(jpeg, segments, why);  // what was listed before any damage serves
    return JfifResolution(segments, jpeg);
}

bool HasExifSegment(std::string_view jpeg) {
    std::vector<JpegSegment> segments;
    std::string why;
    ListJpegSegments(jpeg, segments, why);
    return FirstWith(segments, jpeg, kApp1, kExifSignature).has_value();
}

GpsEditOutcome EditJpegGps(std::string_view jpeg, const GpsChange& change, std::string& edited) {
    std::vector<JpegSegment> segments;
    std::string why;
    if (!ListJpegSegments(jpeg, segments, why)) {
        return Refused(why);
    }
    const std::optional<std::size_t> exif = FirstWith(segments, jpeg, kApp1, kExifSignature);
    std::vector<Splice> changes;
    // A removal from a photo without EXIF data has nothing there to take out, and makes none.
    if (exif || !IsRemoval(change)) {
        std::optional<Splice> exifChange;
        if (GpsEditOutcome refused = EditExif(jpeg, segments, exif, change, exifChange);
            refused.result == GpsEditResult::Refused) {
            return refused;
        }
        changes.push_back(std::move(*exifChange));
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
