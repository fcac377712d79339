#include "metadata/SamePhoto.h"

#include <optional>
#include <string_view>
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

}  // namespace geotal
