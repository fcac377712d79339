#include "metadata/SamePhoto.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "metadata/Exiv2Metadata.h"
#include "metadata/JpegSegments.h"
#include "support/WholeFile.h"

namespace geotal {
namespace {

// The bytes from the start of the scan on; none without segments before it.
std::optional<std::string_view> ImageData(std::string_view jpeg) {
    std::vector<JpegSegment> segments;
    std::string why;
    if (!ListJpegSegments(jpeg, segments, why) || segments.empty() ||
        segments.back().end >= jpeg.size()) {
        return std::nullopt;
    }
    return jpeg.substr(segments.back().end);
}

struct Taken {
    std::optional<std::string> when, make, model;
    bool operator==(const Taken&) const = default;
};

std::optional<Taken> TakenOf(const std::string& path) {
    ExifHandle exif;
    IptcHandle iptc;
    OpenMetadata(path, false, false, exif, iptc);
    if (!exif) {
        return std::nullopt;
    }
    return Taken{ExifText(*exif, "Exif.Photo.DateTimeOriginal"), ExifText(*exif, "Exif.Image.Make"),
                 ExifText(*exif, "Exif.Image.Model")};
}

}  // namespace

bool AreVersionsOfOnePhoto(const std::string& a, const std::string& b) {
    WholeFile first;
    WholeFile second;
    std::string error;
    if (!ReadWholeFile(a, first, error) || !ReadWholeFile(b, second, error)) {
        return false;
    }
    const std::optional<std::string_view> image = ImageData(first.bytes);
    if (!image || image != ImageData(second.bytes)) {
        return false;
    }
    const std::optional<Taken> taken = TakenOf(a);
    return taken && taken == TakenOf(b);
}

namespace {

// The segments before the image data that a position write leaves as they are: all but APP1,
// which holds the EXIF data and the XMP packet.
std::vector<std::string_view> SegmentsKept(std::string_view jpeg) {
    std::vector<JpegSegment> segments;
    std::string why;
    std::vector<std::string_view> kept;
    if (ListJpegSegments(jpeg, segments, why)) {
        for (const JpegSegment& segment : segments) {
            if (segment.marker != 0xE1) {
                kept.push_back(jpeg.substr(segment.start, segment.end - segment.start));
            }
        }
    }
    return kept;
}

bool IsPosition(const std::string& key) {
    return key.starts_with("Exif.GPSInfo.") || key.starts_with("Xmp.exif.GPS");
}

// Offsets, which a write may move; what they point to is compared as tags of its own.
bool IsPointer(const std::string& key) {
    return key == "Exif.Image.ExifTag" || key == "Exif.Image.GPSTag" ||
           key == "Exif.Photo.InteroperabilityTag" || key == "Exif.MakerNote.Offset";
}

// What the EXIF segment made for a photo without one holds besides its GPS directory.
bool IsOfANewExifSegment(const std::string& key) {
    return key == "Exif.Image.XResolution" || key == "Exif.Image.YResolution" ||
           key == "Exif.Image.ResolutionUnit" || key == "Exif.Image.YCbCrPositioning";
}

using Tags = std::vector<std::pair<std::string, std::string>>;

Tags BesidePosition(const MetadataTexts& texts, bool newExifTagsToo) {
    Tags tags;
    for (const TagTexts* part : {&texts.exif, &texts.iptc, &texts.xmp}) {
        for (const auto& [key, text] : *part) {
            if (!IsPosition(key) && !IsPointer(key) &&
                !(newExifTagsToo && IsOfANewExifSegment(key))) {
                tags.emplace_back(key, text);
            }
        }
    }
    tags.emplace_back("the JPEG comment", texts.comment);
    tags.emplace_back("the colour profile", texts.icc);
    std::sort(tags.begin(), tags.end());
    return tags;
}

std::string FirstDifference(const Tags& earlier, const Tags& current) {
    Tags gone;
    std::set_difference(earlier.begin(), earlier.end(), current.begin(), current.end(),
                        std::back_inserter(gone));
    if (!gone.empty()) {
        const std::string& key = gone.front().first;
        const bool there = std::any_of(current.begin(), current.end(),
                                       [&key](const auto& tag) { return tag.first == key; });
        return key + (there ? " changed" : " was taken out");
    }
    Tags added;
    std::set_difference(current.begin(), current.end(), earlier.begin(), earlier.end(),
                        std::back_inserter(added));
    return added.empty() ? std::string() : added.front().first + " was added";
}

}  // namespace

std::string DifferenceBesidePosition(const std::string& earlier, const std::string& current) {
    WholeFile first;
    WholeFile second;
    std::string error;
    if (!ReadWholeFile(earlier, first, error) || !ReadWholeFile(current, second, error)) {
        return error;
    }
    const std::optional<std::string_view> image = ImageData(first.bytes);
    if (!image || image != ImageData(second.bytes)) {
        return "its image data differs";
    }
    if (SegmentsKept(first.bytes) != SegmentsKept(second.bytes)) {
        return "a segment other than the EXIF and XMP ones differs";
    }
    MetadataTexts before;
    MetadataTexts now;
    if (!ReadMetadataTexts(earlier, before, error) || !ReadMetadataTexts(current, now, error)) {
        return error;
    }
    const bool hadNoExif = before.exif.empty();
    return FirstDifference(BesidePosition(before, hadNoExif), BesidePosition(now, hadNoExif));
}

}  // namespace geotal
