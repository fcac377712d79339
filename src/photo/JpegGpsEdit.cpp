#include "photo/JpegGpsEdit.h"

#include <algorithm>
#include <optional>

#include "photo/JpegSegments.h"
#include "photo/TiffGpsEdit.h"

namespace geotal {
namespace {

constexpr unsigned char kApp1 = 0xE1;
constexpr unsigned char kApp2 = 0xE2;
constexpr std::string_view kExifSignature("Exif\0\0", 6);
constexpr std::string_view kXmpSignature("http://ns.adobe.com/xap/1.0/\0", 29);
constexpr std::string_view kMultiPictureSignature("MPF\0", 4);
constexpr std::size_t kLargestSegmentData = 0xFFFF - 2;

struct NewData {
    const JpegSegment* segment = nullptr;
    std::string data;  // the segment's whole new data, signature included
};

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

std::string Assemble(std::string_view jpeg, std::vector<NewData> changes) {
    std::sort(changes.begin(), changes.end(), [](const NewData& a, const NewData& b) {
        return a.segment->start < b.segment->start;
    });
    std::string out;
    out.reserve(jpeg.size() + 1024);
    std::size_t copied = 0;
    for (const NewData& change : changes) {
        const std::size_t lengthAt = change.segment->data - 2;
        out.append(jpeg.substr(copied, lengthAt - copied));
        const std::size_t length = change.data.size() + 2;
        out.push_back(static_cast<char>(length >> 8));
        out.push_back(static_cast<char>(length & 0xFF));
        out += change.data;
        copied = change.segment->end;
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
    if (!exif) {
        return Refused("the file has no EXIF segment");
    }
    const JpegSegment& exifSegment = segments[*exif];
    std::string tiff;
    if (EditTiffGps(exifSegment.Data(jpeg).substr(kExifSignature.size()), change, tiff, why) ==
        TiffEditResult::Refused) {
        return Refused(why);
    }
    NewData exifData{&exifSegment, std::string(kExifSignature) + tiff};
    if (exifData.data.size() > kLargestSegmentData) {
        return Refused("the EXIF segment would pass 64 KB");
    }
    if (exifData.data.size() != exifSegment.end - exifSegment.data &&
        !MayChangeSize(segments, jpeg, *exif)) {
        return Refused("the EXIF segment follows a multi-picture index and would change its size");
    }
    std::vector<NewData> changes{std::move(exifData)};

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
                changes.push_back({&xmpSegment, std::string(kXmpSignature) + newPacket});
            }
        }
    }
    edited = Assemble(jpeg, std::move(changes));
    return outcome;
}

}  // namespace geotal
