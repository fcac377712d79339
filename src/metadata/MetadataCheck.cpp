#include "metadata/MetadataCheck.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "metadata/XmpGpsEdit.h"

namespace geotal {
namespace {

// Pointers to directories and to the maker note: where the data lies, not what it is. Their
// targets are read and compared tag by tag; the GPS directory moves with every write.
bool IsPointer(const std::string& key) {
    return key == "Exif.Image.ExifTag" || key == "Exif.Image.GPSTag" ||
           key == "Exif.Photo.InteroperabilityTag" || key == "Exif.MakerNote.Offset";
}

bool IsXmpPosition(const std::string& key) {
    return key == "Xmp.exif.GPSLatitude" || key == "Xmp.exif.GPSLongitude" ||
           key == "Xmp.exif.GPSAltitude" || key == "Xmp.exif.GPSAltitudeRef" ||
           key == "Xmp.exif.GPSVersionID" || key == "Xmp.exif.GPSTimeStamp";
}

// The XMP keys of the GPS tags a write removes: the packet may have lost them or, where its
// form could not be edited, kept them.
std::vector<std::string> XmpKeysRemoved(const GpsChange& change) {
    std::vector<std::string> keys;
    for (const std::string& property : ToXmpGpsValues(change).removed) {
        keys.push_back("Xmp.exif." + property);
    }
    return keys;
}

// Every tag as a key and the text compared; sorted, so that order does not count.
using Tags = std::vector<std::pair<std::string, std::string>>;

Tags Comparable(const MetadataTexts& texts, const std::vector<std::string>& xmpRemoved) {
    Tags tags;
    for (const auto& [key, text] : texts.exif) {
        if (!IsPointer(key)) {
            tags.emplace_back(key, text);
        }
    }
    tags.insert(tags.end(), texts.iptc.begin(), texts.iptc.end());
    // The XMP position follows the EXIF one; that it is still there counts, not its value.
    for (const auto& [key, text] : texts.xmp) {
        if (std::find(xmpRemoved.begin(), xmpRemoved.end(), key) == xmpRemoved.end()) {
            tags.emplace_back(key, IsXmpPosition(key) ? std::string("the position") : text);
        }
    }
    tags.emplace_back("the JPEG comment", texts.comment);
    tags.emplace_back("the colour profile", texts.icc);
    std::sort(tags.begin(), tags.end());
    return tags;
}

// The first tag of expected that found lacks or holds otherwise, or else the first one found
// has in addition; empty when both hold the same.
std::string FirstDifference(const Tags& expected, const Tags& found) {
    Tags missing;
    std::set_difference(expected.begin(), expected.end(), found.begin(), found.end(),
                        std::back_inserter(missing));
    if (!missing.empty()) {
        const std::string& key = missing.front().first;
        const bool there = std::any_of(found.begin(), found.end(),
                                       [&key](const auto& tag) { return tag.first == key; });
        return key + (there ? " changed" : " is missing");
    }
    Tags added;
    std::set_difference(found.begin(), found.end(), expected.begin(), expected.end(),
                        std::back_inserter(added));
    return added.empty() ? std::string() : added.front().first + " was added";
}

}  // namespace

bool CheckMetadata(const std::string& path, const ExifMetadata& expected, const GpsChange& change,
                   std::string& error) {
    MetadataTexts found;
    if (!ReadMetadataTexts(path, found, error)) {
        return false;
    }
    const std::vector<std::string> xmpRemoved = XmpKeysRemoved(change);
    error =
        FirstDifference(Comparable(TextsOf(expected), xmpRemoved), Comparable(found, xmpRemoved));
    return error.empty();
}

}  // namespace geotal
