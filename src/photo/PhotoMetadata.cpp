#include "photo/PhotoMetadata.h"

#include <cctype>

#include "photo/MetadataLibrary.h"
#include "support/Angles.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

// The field as atoi reads it: blanks, a sign, then digits up to the first non-digit.
int FieldAt(const std::string& text, std::size_t start, std::size_t length) {
    if (start >= text.size()) {
        return 0;
    }
    const std::string field = text.substr(start, length);
    std::size_t i = 0;
    while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    long value = 0;
    while (i < field.size() && std::isdigit(static_cast<unsigned char>(field[i]))) {
        value = value * 10 + (field[i] - '0');
        ++i;
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

double ParseExifDateTime(const std::string& text) {
    const CalendarTime time{FieldAt(text, 0, 4),  FieldAt(text, 5, 2),  FieldAt(text, 8, 2),
                            FieldAt(text, 11, 2), FieldAt(text, 14, 2), FieldAt(text, 17, 2)};
    return IsValidCalendarTime(time) ? ToOleDate(time) : 0.0;
}

bool ReadPhotoMetadata(const std::string& path, MaybePosition& position, double& captureTime) {
    position.reset();
    ExifHandle exif;
    IptcHandle iptc;
    if (cGetImageFileMetadata(path, 1, 1, exif, iptc) == 0) {
        cGetImageFileMetadata(path, 0, 0, exif, iptc);
    }
    if (!exif) {
        return false;
    }
    std::string date;
    if (cEXIF_GetDateTimeOriginal(exif.get(), date) == 0 &&
        cEXIF_GetDateTime(exif.get(), date) == 0) {
        return false;
    }
    double latParts[3];
    double lonParts[3];
    std::string latRef;
    std::string lonRef;
    const bool hasGps =
        cEXIF_GetGPSLatitude(exif.get(), latParts[0], latParts[1], latParts[2]) != 0 &&
        cEXIF_GetGPSLongitude(exif.get(), lonParts[0], lonParts[1], lonParts[2]) != 0 &&
        cEXIF_GetGPSLatitudeRef(exif.get(), latRef) != 0 &&
        cEXIF_GetGPSLongitudeRef(exif.get(), lonRef) != 0;
    captureTime = ParseExifDateTime(date);
    if (hasGps) {
        double latitude = DmsToArcSeconds(latParts[0], latParts[1], latParts[2]);
        double longitude = DmsToArcSeconds(lonParts[0], lonParts[1], lonParts[2]);
        if (latRef == "S") {
            latitude = -latitude;
        }
        if (lonRef == "W") {
            longitude = -longitude;
        }
        // 4294967295/1 degrees is a damaged tag, not a place.
        if (IsOnGlobe(latitude, longitude)) {
            position = PositionFromFileValues(latitude, longitude);
        }
    }
    cDestroyEXIF(exif);
    if (iptc) {
        cDestroyIPTC(iptc);
    }
    return true;
}

}  // namespace geotal
