// The EXIF tags a photo is listed by: its dates, the offsets from UTC it records, its GPS
// position and the camera that took it, in one shape whichever way they were read.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace geotal {

// Each as the metadata library gives it: a text up to its first NUL; the first three parts of
// an unsigned rational tag. None when the tag is absent, or when parts are of another type or
// have a zero denominator.
struct ListedExifTags {
    std::optional<std::string> dateTimeOriginal, dateTimeDigitized, dateTime;
    std::optional<std::string> offsetTimeOriginal, offsetTime;
    std::optional<std::string> make, model, bodySerialNumber;
    std::optional<std::string> latitudeRef, longitudeRef;
    std::optional<std::array<double, 3>> latitude, longitude;

    bool operator==(const ListedExifTags&) const = default;
};

}  // namespace geotal
