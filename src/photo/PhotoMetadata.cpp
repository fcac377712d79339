#include "photo/PhotoMetadata.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "photo/ListedExifTags.h"
#include "photo/MetadataLibrary.h"
#include "photo/PhotoPaths.h"
#include "photo/Sidecar.h"
#include "photo/SidecarGpsEdit.h"
#include "photo/TiffListedTags.h"
#include "photo/XmpValues.h"
#include "support/Angles.h"
#include "support/DateTime.h"
#include "support/WholeFile.h"

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

// Cameras fill tags they cannot set with blanks ("   :  "): such a tag records nothing.
bool HasDigit(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

}  // namespace

double ParseExifDateTime(const std::string& text) {
    const CalendarTime time{FieldAt(text, 0, 4),  FieldAt(text, 5, 2),  FieldAt(text, 8, 2),
                            FieldAt(text, 11, 2), FieldAt(text, 14, 2), FieldAt(text, 17, 2)};
    return IsValidCalendarTime(time) ? ToOleDate(time) : 0.0;
}

bool ReadPhotoMetadata(const std::string& path, MaybePosition& position, double& captureTime) {
    std::string recordedOffset;
    return ReadPhotoMetadata(path, position, captureTime, recordedOffset);
}

namespace {

// The listed tags of EXIF data the library read; none without EXIF data.
std::optional<ListedExifTags> TagsOf(const ExifMetadata* exif) {
    if (exif == nullptr) {
        return std::nullopt;
    }
    ListedExifTags tags;
    const auto text = [&](int (*get)(const ExifMetadata*, std::string&),
                          std::optional<std::string>& field) {
        std::string value;
        if (get(exif, value) != 0) {
            field = value;
        }
    };
    const auto dms = [&](int (*get)(const ExifMetadata*, double&, double&, double&),
                         std::optional<std::array<double, 3>>& field) {
        std::array<double, 3> parts{};
        if (get(exif, parts[0], parts[1], parts[2]) != 0) {
            field = parts;
        }
    };
    text(cEXIF_GetDateTimeOriginal, tags.dateTimeOriginal);
    text(cEXIF_GetDateTime, tags.dateTime);
    text(cEXIF_GetOffsetTimeOriginal, tags.offsetTimeOriginal);
    text(cEXIF_GetOffsetTime, tags.offsetTime);
    text(cEXIF_GetGPSLatitudeRef, tags.latitudeRef);
    text(cEXIF_GetGPSLongitudeRef, tags.longitudeRef);
    dms(cEXIF_GetGPSLatitude, tags.latitude);
    dms(cEXIF_GetGPSLongitude, tags.longitude);
    return tags;
}

// ReadPhotoMetadata's reading of the tags, however they were read.
bool FromTags(const std::optional<ListedExifTags>& tags, MaybePosition& position,
              double& captureTime, std::string& recordedOffset) {
    position.reset();
    recordedOffset.clear();
    if (!tags) {
        return false;
    }
    const std::optional<std::string>& date =
        tags->dateTimeOriginal ? tags->dateTimeOriginal : tags->dateTime;
    if (!date) {
        return false;
    }
    captureTime = ParseExifDateTime(*date);
    // The first offset that looks like one; else the first text there ("Z", blanks, junk), which
    // the photo's time then names as unusable rather than pass over in silence.
    for (const std::optional<std::string>& offset : {tags->offsetTimeOriginal, tags->offsetTime}) {
        if (offset && !offset->empty() && (offset->front() == '+' || offset->front() == '-') &&
            HasDigit(*offset)) {
            recordedOffset = *offset;
            break;
        }
        if (offset && !offset->empty() && recordedOffset.empty()) {
            recordedOffset = *offset;
        }
    }
    if (tags->latitude && tags->longitude && tags->latitudeRef && tags->longitudeRef) {
        const std::array<double, 3>& lat = *tags->latitude;
        const std::array<double, 3>& lon = *tags->longitude;
        double latitude = DmsToArcSeconds(lat[0], lat[1], lat[2]);
        double longitude = DmsToArcSeconds(lon[0], lon[1], lon[2]);
        if (*tags->latitudeRef == "S") {
            latitude = -latitude;
        }
        if (*tags->longitudeRef == "W") {
            longitude = -longitude;
        }
        // 4294967295/1 degrees is a damaged tag, not a place.
        if (IsOnGlobe(latitude, longitude)) {
            position = PositionFromFileValues(latitude, longitude);
        }
    }
    return true;
}

bool FromExif(const ExifMetadata* exif, MaybePosition& position, double& captureTime,
              std::string& recordedOffset) {
    return FromTags(TagsOf(exif), position, captureTime, recordedOffset);
}

}  // namespace

bool ReadPhotoMetadata(const std::string& path, MaybePosition& position, double& captureTime,
                       std::string& recordedOffset) {
    ExifHandle exif;
    IptcHandle iptc;
    // A format the library reads but cannot write (most RAW formats) answers 0 with its EXIF
    // data all the same; only the handle counts, so the file is read again only without one.
    if (cGetImageFileMetadata(path, 1, 1, exif, iptc) == 0 && !exif) {
        cGetImageFileMetadata(path, 0, 0, exif, iptc);
    }
    const bool timed = FromExif(exif.get(), position, captureTime, recordedOffset);
    cDestroyEXIF(exif);
    if (iptc) {
        cDestroyIPTC(iptc);
    }
    return timed;
}

namespace {

// Where a position is written comes first, so that it never seems lost behind an older one
// elsewhere: a JPEG's own tags, unless positions go to sidecars only; otherwise the sidecar, as
// photo managers read it. The other place counts where the first holds none. True: the photo
// has its capture time.
bool AddSidecarPosition(const std::string& path, PhotoFacts& facts,
                        const SidecarOptions& sidecars) {
    const bool inPhoto = IsJpegFileName(path) && !sidecars.sidecarOnly;
    if (facts.position && inPhoto) {
        return true;
    }
    if (ExistingSidecarPath(path).empty()) {
        return true;
    }
    const std::string sidecar = SidecarPathFor(path, sidecars.naming);
    // As the sidecar writer takes it: an XMP packet, not another format under an .xmp name
    // (an EXV file, say), whose own tags would be taken for the photo's.
    WholeFile file;
    std::string error;
    MaybePosition written;
    if (const std::string tooLarge = TooLargeForASidecar(sidecar); !tooLarge.empty()) {
        facts.note = "The sidecar " + FileNameOf(sidecar) + " was not read: " + tooLarge;
    } else if (!ReadWholeFile(sidecar, file, error)) {
        facts.note = "The sidecar " + FileNameOf(sidecar) + " cannot be read (" + error + ")";
    } else if (!ReadSidecarPosition(file.bytes, written, error)) {
        facts.note = "The sidecar " + FileNameOf(sidecar) + " cannot be read as an XMP packet (" +
                     error + "); it was not used";
    } else if (written) {
        facts.position = written;
        facts.note = "Position from the sidecar " + FileNameOf(sidecar);
    }
    return true;
}

}  // namespace

std::optional<ListedExifTags> ReadListedTagsWithLibrary(const std::string& path) {
    ExifHandle exif;
    TagTexts xmp;
    std::string error;
    ReadPhotoTags(path, exif, xmp, error);
    return TagsOf(exif.get());
}

bool ReadPhotoFacts(const std::string& path, PhotoFacts& facts, const SidecarOptions& sidecars) {
    facts = PhotoFacts{};
    // A TIFF-based file's dates are read from its directories alone where they are plain; the
    // library is left what those do not answer (XMP dates, damaged or other formats). A JPEG
    // keeps its EXIF data in a segment that reader does not look for.
    if (!IsJpegFileName(path) && FromTags(ReadTiffListedTagsOfFile(path), facts.position,
                                          facts.captureTime, facts.recordedOffset)) {
        return AddSidecarPosition(path, facts, sidecars);
    }
    // One read for both: a RAW file whose EXIF data gives no time would otherwise be parsed a
    // second time for its XMP, and that parse is most of what listing it costs.
    ExifHandle exif;
    TagTexts xmp;
    std::string error;
    const bool read = ReadPhotoTags(path, exif, xmp, error);
    if (!FromExif(exif.get(), facts.position, facts.captureTime, facts.recordedOffset)) {
        facts.position.reset();
        facts.captureTime = 0;
        if (!read) {
            facts.note = "No capture time: the file cannot be read (" + error + ")";
            return false;
        }
        const std::optional<XmpDate> date = XmpCaptureTime(exif ? XmpTextsOf(*exif) : xmp);
        if (!date) {
            facts.note = "No capture time: the file holds no EXIF or XMP date";
            return false;
        }
        facts.captureTime = date->time;
        facts.recordedOffset = date->offset;
    }
    return AddSidecarPosition(path, facts, sidecars);
}

}  // namespace geotal
