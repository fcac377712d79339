#include "metadata/MetadataLibrary.h"

#include <optional>
#include <vector>

#include "metadata/JpegGpsEdit.h"
#include "metadata/JpegSegments.h"
#include "metadata/MetadataCheck.h"
#include "support/WholeFile.h"

namespace geotal {
namespace {

constexpr const char* kDateTimeOriginal = "Exif.Photo.DateTimeOriginal";
constexpr const char* kDateTime = "Exif.Image.DateTime";
constexpr const char* kOffsetTimeOriginal = "Exif.Photo.OffsetTimeOriginal";
constexpr const char* kOffsetTime = "Exif.Photo.OffsetTime";
constexpr const char* kVersion = "Exif.GPSInfo.GPSVersionID";
constexpr const char* kLatitude = "Exif.GPSInfo.GPSLatitude";
constexpr const char* kLatitudeRef = "Exif.GPSInfo.GPSLatitudeRef";
constexpr const char* kLongitude = "Exif.GPSInfo.GPSLongitude";
constexpr const char* kLongitudeRef = "Exif.GPSInfo.GPSLongitudeRef";
constexpr const char* kAltitude = "Exif.GPSInfo.GPSAltitude";
constexpr const char* kAltitudeRef = "Exif.GPSInfo.GPSAltitudeRef";
constexpr const char* kTimeStamp = "Exif.GPSInfo.GPSTimeStamp";
constexpr const char* kDateStamp = "Exif.GPSInfo.GPSDateStamp";

int GetText(const ExifMetadata* exif, const char* key, std::string& text) {
    const std::optional<std::string> value = exif == nullptr ? std::nullopt : ExifText(*exif, key);
    if (!value) {
        return 0;
    }
    text = *value;
    return 1;
}

int GetDms(const ExifMetadata* exif, const char* key, double& degrees, double& minutes,
           double& seconds) {
    const std::optional<std::vector<double>> parts =
        exif == nullptr ? std::nullopt : ExifRationals(*exif, key);
    if (!parts) {
        return 0;
    }
    degrees = (*parts)[0];
    minutes = (*parts)[1];
    seconds = (*parts)[2];
    return 1;
}

int PutRationals(ExifMetadata* exif, const char* key, const std::vector<double>& parts) {
    return exif != nullptr && SetExifRationals(*exif, key, parts) ? 1 : 0;
}

int PutRef(ExifMetadata* exif, const char* key, const std::string& ref, const char* positive,
           const char* negative) {
    if (exif == nullptr || (ref != positive && ref != negative)) {
        return 0;
    }
    return SetExifAscii(*exif, key, ref) ? 1 : 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int cGetImageFileMetadata(const std::string& path, int iptcFlag, int writeFlag, ExifHandle& exif,
                          IptcHandle& iptc) {
    return OpenMetadata(path, iptcFlag != 0, writeFlag != 0, exif, iptc) ? 1 : 0;
}

int cNewJpegEXIF(const std::string& path, ExifHandle& exif, std::string& why) {
    exif.reset();
    WholeFile file;
    std::vector<JpegSegment> segments;
    if (!ReadWholeFile(path, file, why)) {
        return 0;
    }
    const std::string_view bytes = file.bytes;
    if (!StartsWith(bytes, "\xFF\xD8")) {
        why = "not a JPEG file";
        return 0;
    }
    // A new segment in a damaged file would make a photo that looks whole and is not.
    if (!ListJpegSegments(bytes, segments, why) || !HasWholeImage(bytes, segments)) {
        why = "a JPEG file cut short or damaged, without a whole image";
        return 0;
    }
    for (const JpegSegment& segment : segments) {
        // An EXIF segment the library read no tag from (an empty IFD0, say) is added to where
        // the byte-level edit can parse it; one it cannot parse is not to be replaced.
        std::string edited;
        if (segment.marker == 0xE1 && StartsWith(segment.Data(bytes), {"Exif\0\0", 6}) &&
            EditJpegGps(bytes, {{{0, TiffType::Byte, {2, 2, 0, 0}}}, {}}, edited).result ==
                GpsEditResult::Refused) {
            why = "its EXIF data cannot be read";
            return 0;
        }
    }
    return OpenJpegWithoutExif(path, exif, why) ? 1 : 0;
}

int cEXIF_GetDateTimeOriginal(const ExifMetadata* exif, std::string& text) {
    return GetText(exif, kDateTimeOriginal, text);
}

int cEXIF_GetDateTime(const ExifMetadata* exif, std::string& text) {
    return GetText(exif, kDateTime, text);
}

int cEXIF_GetOffsetTimeOriginal(const ExifMetadata* exif, std::string& text) {
    return GetText(exif, kOffsetTimeOriginal, text);
}

int cEXIF_GetOffsetTime(const ExifMetadata* exif, std::string& text) {
    return GetText(exif, kOffsetTime, text);
}

int cEXIF_GetGPSLatitude(const ExifMetadata* exif, double& degrees, double& minutes,
                         double& seconds) {
    return GetDms(exif, kLatitude, degrees, minutes, seconds);
}

int cEXIF_GetGPSLongitude(const ExifMetadata* exif, double& degrees, double& minutes,
                          double& seconds) {
    return GetDms(exif, kLongitude, degrees, minutes, seconds);
}

int cEXIF_GetGPSLatitudeRef(const ExifMetadata* exif, std::string& text) {
    return GetText(exif, kLatitudeRef, text);
}

int cEXIF_GetGPSLongitudeRef(const ExifMetadata* exif, std::string& text) {
    return GetText(exif, kLongitudeRef, text);
}

int cEXIF_PutGPSVersion(ExifMetadata* exif, const std::string& version) {
    if (exif == nullptr || version.size() != 4) {
        return 0;
    }
    std::vector<std::uint8_t> bytes;
    for (char digit : version) {
        if (!IsDigit(digit)) {
            return 0;
        }
        bytes.push_back(static_cast<std::uint8_t>(digit - '0'));
    }
    return SetExifBytes(*exif, kVersion, bytes) ? 1 : 0;
}

int cEXIF_PutGPSLatitude(ExifMetadata* exif, double degrees, double minutes, double seconds) {
    return PutRationals(exif, kLatitude, {degrees, minutes, seconds});
}

int cEXIF_PutGPSLongitude(ExifMetadata* exif, double degrees, double minutes, double seconds) {
    return PutRationals(exif, kLongitude, {degrees, minutes, seconds});
}

int cEXIF_PutGPSLatitudeRef(ExifMetadata* exif, const std::string& ref) {
    return PutRef(exif, kLatitudeRef, ref, "N", "S");
}

int cEXIF_PutGPSLongitudeRef(ExifMetadata* exif, const std::string& ref) {
    return PutRef(exif, kLongitudeRef, ref, "E", "W");
}

int cEXIF_PutGPSAltitude(ExifMetadata* exif, double altitude) {
    return PutRationals(exif, kAltitude, {altitude});
}

int cEXIF_PutGPSAltitudeRef(ExifMetadata* exif, int ref) {
    if (exif == nullptr || (ref != 0 && ref != 1)) {
        return 0;
    }
    return SetExifBytes(*exif, kAltitudeRef, {static_cast<std::uint8_t>(ref)}) ? 1 : 0;
}

int cEXIF_PutGPSDateStamp(ExifMetadata* exif, const std::string& date) {
    bool shaped = date.size() == 10;
    for (std::size_t i = 0; shaped && i < date.size(); ++i) {
        shaped = i == 4 || i == 7 ? date[i] == ':' : IsDigit(date[i]);
    }
    if (exif == nullptr || !shaped) {
        return 0;
    }
    return SetExifAscii(*exif, kDateStamp, date) ? 1 : 0;  // with its NUL, as the references
}

int cEXIF_PutGPSTimeStamp(ExifMetadata* exif, double hours, double minutes, double seconds) {
    if (!(hours < 24 && minutes < 60 && seconds < 61)) {
        return 0;
    }
    return PutRationals(exif, kTimeStamp, {hours, minutes, seconds});
}

int cEXIF_RemoveGPSTag(ExifMetadata* exif, std::uint16_t tag) {
    if (exif == nullptr) {
        return 0;
    }
    RemoveExifGpsTag(*exif, tag);
    return 1;
}

int cMergeMetadata(const std::string& source, const std::string& destination,
                   const ExifMetadata* exif, const IptcMetadata* iptc, std::string& errorText,
                   MergeWay way, Flush flush, bool* unchanged) {
    return MergeMetadata(source, destination, exif, iptc, way, flush, errorText, unchanged) ? 1 : 0;
}

int cCheckMetadata(const std::string& path, const ExifMetadata* expected, std::string& errorText) {
    if (expected == nullptr) {
        errorText = "nothing to compare with";
        return 0;
    }
    return CheckMetadata(path, *expected, errorText) ? 1 : 0;
}

void cDestroyEXIF(ExifHandle& exif) {
    exif.reset();
}

void cDestroyIPTC(IptcHandle& iptc) {
    iptc.reset();
}

}  // namespace geotal
