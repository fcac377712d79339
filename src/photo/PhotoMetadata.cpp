#include "photo/PhotoMetadata.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <vector>

#include "metadata/BmffExif.h"
#include "metadata/ExifDateTime.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/ListedExifTags.h"
#include "metadata/PngTextChunks.h"
#include "metadata/SidecarGpsEdit.h"
#include "metadata/TiffListedTags.h"
#include "metadata/XmpValues.h"
#include "photo/PhotoPaths.h"
#include "photo/Sidecar.h"
#include "support/Angles.h"
#include "support/AsciiText.h"
#include "support/DateTime.h"
#include "support/WholeFile.h"

namespace geotal {
namespace {

// Cameras fill tags they cannot set with blanks ("   :  "): such a tag records nothing.
bool HasDigit(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

// The listed tags of EXIF data the library read; none without EXIF data.
std::optional<ListedExifTags> TagsOf(const ExifMetadata* exif) {
    if (exif == nullptr) {
        return std::nullopt;
    }
    ListedExifTags tags;
    const auto dms = [&](const char* key) -> std::optional<std::array<double, 3>> {
        const std::optional<std::vector<double>> parts = ExifRationals(*exif, key);
        if (!parts) {
            return std::nullopt;
        }
        return std::array<double, 3>{(*parts)[0], (*parts)[1], (*parts)[2]};
    };
    tags.dateTimeOriginal = ExifText(*exif, "Exif.Photo.DateTimeOriginal");
    tags.dateTime = ExifText(*exif, "Exif.Image.DateTime");
    tags.offsetTimeOriginal = ExifText(*exif, "Exif.Photo.OffsetTimeOriginal");
    tags.dateTimeDigitized = ExifText(*exif, "Exif.Photo.DateTimeDigitized");
    tags.make = ExifText(*exif, "Exif.Image.Make");
    tags.model = ExifText(*exif, "Exif.Image.Model");
    tags.bodySerialNumber = ExifText(*exif, "Exif.Photo.BodySerialNumber");
    tags.offsetTime = ExifText(*exif, "Exif.Photo.OffsetTime");
    tags.latitudeRef = ExifText(*exif, "Exif.GPSInfo.GPSLatitudeRef");
    tags.longitudeRef = ExifText(*exif, "Exif.GPSInfo.GPSLongitudeRef");
    tags.latitude = dms("Exif.GPSInfo.GPSLatitude");
    tags.longitude = dms("Exif.GPSInfo.GPSLongitude");
    return tags;
}

// The offset from UTC the photo records: the first that looks like one; else the first text
// there ("Z", blanks, junk), which the photo's time then names as unusable rather than pass over
// in silence.
std::string RecordedOffsetOf(const ListedExifTags& tags) {
    std::string recorded;
    for (const std::optional<std::string>& offset : {tags.offsetTimeOriginal, tags.offsetTime}) {
        if (offset && !offset->empty() && (offset->front() == '+' || offset->front() == '-') &&
            HasDigit(*offset)) {
            return *offset;
        }
        if (offset && !offset->empty() && recorded.empty()) {
            recorded = *offset;
        }
    }
    return recorded;
}

// The stored GPS position; none when the set is incomplete, off the globe or 0/0.
MaybePosition PositionOf(const ListedExifTags& tags) {
    if (tags.latitude && tags.longitude && tags.latitudeRef && tags.longitudeRef) {
        const std::array<double, 3>& lat = *tags.latitude;
        const std::array<double, 3>& lon = *tags.longitude;
        double latitude = DmsToArcSeconds(lat[0], lat[1], lat[2]);
        double longitude = DmsToArcSeconds(lon[0], lon[1], lon[2]);
        if (*tags.latitudeRef == "S") {
            latitude = -latitude;
        }
        if (*tags.longitudeRef == "W") {
            longitude = -longitude;
        }
        // 4294967295/1 degrees is a damaged tag, not a place.
        if (IsOnGlobe(latitude, longitude)) {
            return PositionFromFileValues(latitude, longitude);
        }
    }
    return std::nullopt;
}

}  // namespace

namespace {

// Takes the sidecar's position where the sidecar is the place positions are written (and read
// first), so that one never seems lost behind an older one elsewhere: for a JPEG only when
// positions go to sidecars only or the JPEG holds none of its own; for every other format, the
// sidecar's comes before the photo's own tags, as photo managers read them. A sidecar that is
// too large or no XMP packet is named in the note and not used. True: the photo keeps the
// capture time it was listed with.
bool AddSidecarPosition(const std::string& path, PhotoFacts& facts, const SidecarOptions& sidecars,
                        const SidecarNames* listed) {
    const bool inPhoto = IsJpegFileName(path) && !sidecars.sidecarOnly;
    if (facts.position && inPhoto) {
        return true;
    }
    if (ExistingSidecarPath(path, listed).empty()) {
        return true;
    }
    const std::string sidecar = SidecarPathFor(path, sidecars.naming, listed);
    // After what the note says of the photo's own tags, on a line of its own.
    const auto say = [&](const std::string& text) {
        facts.note += (facts.note.empty() ? "" : "\n") + text;
    };
    // As the sidecar writer takes it: an XMP packet, not another format under an .xmp name
    // (an EXV file, say), whose own tags would be taken for the photo's.
    WholeFile file;
    std::string error;
    MaybePosition written;
    if (const std::string tooLarge = TooLargeForASidecar(sidecar); !tooLarge.empty()) {
        say("The sidecar " + FileNameOf(sidecar) + " was not read: " + tooLarge);
    } else if (!ReadWholeFile(sidecar, file, error)) {
        say("The sidecar " + FileNameOf(sidecar) + " cannot be read (" + error + ")");
    } else if (!ReadSidecarPosition(file.bytes, written, error)) {
        say("The sidecar " + FileNameOf(sidecar) + " cannot be read as an XMP packet (" + error +
            "); it was not used");
    } else if (written) {
        facts.position = written;
        say("Position from the sidecar " + FileNameOf(sidecar));
    }
    return true;
}

// A capture time and the tag it came from, or why there is none.
struct CaptureTime {
    std::optional<double> moment;
    std::string offset;
    std::string tag;
    std::string why;
};

// The capture time, by how surely each tag says when the photo was taken: EXIF's original date,
// then the XMP capture dates, then EXIF's digitised date (a scan's), and last the date of the
// file's last change. A capture date without a time of day ends the search: it is no moment to
// place a photo by, and what follows it says nothing of when the photo was taken.
template <typename XmpOf>
CaptureTime ChooseCaptureTime(const ListedExifTags* tags, XmpOf xmpOf) {
    CaptureTime time;
    const auto exifDate = [&](const std::optional<std::string>& text, const char* tag) {
        const double moment = text ? ParseExifDateTime(*text) : 0;
        if (moment != 0) {
            time.moment = moment;
            time.offset = RecordedOffsetOf(*tags);
            time.tag = tag;
            return true;
        }
        return false;
    };
    if (tags != nullptr && exifDate(tags->dateTimeOriginal, kTagDateTimeOriginal)) {
        return time;
    }
    const TagTexts& xmp = xmpOf();
    for (const auto& [key, tag] :
         {std::pair<const char*, const char*>{"Xmp.exif.DateTimeOriginal", kTagXmpDateTimeOriginal},
          {"Xmp.photoshop.DateCreated", kTagXmpDateCreated}}) {
        const auto found = std::find_if(
            xmp.begin(), xmp.end(), [key = key](const auto& text) { return text.first == key; });
        if (found == xmp.end()) {
            continue;
        }
        const std::optional<XmpDate> date = ParseXmpDate(found->second);
        if (date && date->dayOnly) {
            time.why = "the photo records only the day it was taken, " +
                       found->second.substr(0, 10) + " (" + tag + "), no time of day";
            return time;
        }
        if (date) {
            time.moment = date->time;
            time.offset = date->offset;
            time.tag = tag;
            return time;
        }
    }
    if (tags != nullptr && (exifDate(tags->dateTimeDigitized, kTagDateTimeDigitized) ||
                            exifDate(tags->dateTime, kTagDateTime))) {
        return time;
    }
    time.why = "the file holds no EXIF or XMP date";
    return time;
}

}  // namespace

std::string DescribeTimeTag(const std::string& tag) {
    if (tag.empty() || tag == kTagDateTimeOriginal) {
        return {};
    }
    if (tag == kTagDateTime) {
        return "Time from DateTime, the file's last change: no capture time recorded";
    }
    return "Time from " + tag;
}

std::string CameraName(const ListedExifTags& tags) {
    const auto trimmed = [](const std::optional<std::string>& text) {
        if (!text) {
            return std::string();
        }
        const std::size_t start = text->find_first_not_of(' ');
        const std::size_t end = text->find_last_not_of(' ');
        return start == std::string::npos ? std::string() : text->substr(start, end - start + 1);
    };
    const std::string make = trimmed(tags.make);
    const std::string model = trimmed(tags.model);
    // Most makers repeat their name in the model ("Canon" and "Canon EOS 40D").
    std::string name = model.size() >= make.size() &&
                               EqualsNoCase(std::string_view(model).substr(0, make.size()), make)
                           ? model
                       : make.empty()  ? model
                       : model.empty() ? make
                                       : make + " " + model;
    const std::string serial = trimmed(tags.bodySerialNumber);
    if (!serial.empty() && !name.empty()) {
        name += " #" + serial;
    }
    return name;
}

std::optional<ListedExifTags> ReadListedTagsWithLibrary(const std::string& path) {
    ExifHandle exif;
    TagTexts xmp;
    std::string error;
    ReadPhotoTags(path, exif, xmp, error);
    return TagsOf(exif.get());
}

bool ReadPhotoFacts(const std::string& path, PhotoFacts& facts, const SidecarOptions& sidecars,
                    const SidecarNames* listed) {
    facts = PhotoFacts{};
    // A TIFF-based file's tags are read from its directories alone where they are plain and
    // hold the original date; the library is left the rest (XMP dates, damaged or other
    // formats). A JPEG keeps its EXIF data in a segment that reader does not look for.
    std::optional<ListedExifTags> tags;
    if (!IsJpegFileName(path)) {
        tags = ReadTiffListedTagsOfFile(path);
    }
    ExifHandle exif;
    TagTexts xmp;
    bool read = true;
    std::string error;
    bool exifAlone = false;
    if (!tags || !tags->dateTimeOriginal || ParseExifDateTime(*tags->dateTimeOriginal) == 0) {
        // One read for all: a RAW file parsed a second time for its XMP would cost as much again.
        read = ReadPhotoTags(path, exif, xmp, error);
        tags = TagsOf(exif.get());
    }
    if (!read) {
        // The library gives up on a whole ISO media file (CR3, HEIC, AVIF) for damage in a part
        // that holds no date; its EXIF data may still be plain. Where the library reads the
        // file, its answer stands.
        tags = ReadBmffListedTagsOfFile(path);
        exifAlone = tags.has_value();
    }
    if (tags) {
        facts.position = PositionOf(*tags);
        facts.camera = CameraName(*tags);
    }
    const auto xmpTexts = [&]() -> const TagTexts& {
        if (exif) {
            xmp = XmpTextsOf(*exif);
            exif.reset();
        }
        return xmp;
    };
    const CaptureTime time = ChooseCaptureTime(tags ? &*tags : nullptr, xmpTexts);
    if (!time.moment) {
        facts.position.reset();
        // Without the library's reading, no XMP date was looked for either.
        facts.note = !read ? "No capture time: the file cannot be read (" + error + ")"
                           : "No capture time: " + time.why;
        if (!tags && HoldsLegacyExifText(path)) {
            facts.note =
                "No capture time: its EXIF data lies in an old-style PNG text chunk "
                "(\"Raw profile type exif\"), which the metadata library cannot decode";
        }
        return false;
    }
    facts.captureTime = time.moment;
    facts.recordedOffset = time.offset;
    facts.timeTag = time.tag;
    if (exifAlone) {
        facts.note = std::string(facts.position ? "Time and position" : "Time") +
                     " read from the file's EXIF data alone: the metadata library could not "
                     "read the rest (" +
                     error + ")";
    }
    return AddSidecarPosition(path, facts, sidecars, listed);
}

MaybePosition ReadOwnPosition(const std::string& path) {
    std::optional<ListedExifTags> tags;
    if (!IsJpegFileName(path)) {
        tags = ReadTiffListedTagsOfFile(path);
    }
    if (!tags) {
        tags = ReadListedTagsWithLibrary(path);
    }
    if (!tags) {
        tags = ReadBmffListedTagsOfFile(path);
    }
    return tags ? PositionOf(*tags) : std::nullopt;
}

}  // namespace geotal
