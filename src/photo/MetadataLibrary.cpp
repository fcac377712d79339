#include "photo/MetadataLibrary.h"

#include <sys/stat.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <iterator>
#include <numeric>
#include <utility>
#include <vector>

#include <exiv2/exiv2.hpp>

#include "photo/FileOperations.h"
#include "photo/JpegGpsEdit.h"
#include "support/TraceLog.h"
#include "support/WholeFile.h"

// Every exiv2 call of the program is in this file, and exiv2's exceptions stop here.

namespace geotal {

class ExifMetadata {
public:
    Exiv2::ExifData data;
    std::vector<std::string> changed;  // the keys the setters gave a value, in order
    // The file the data was read from, and what else it held, for the read-back check.
    std::string source;
    Exiv2::IptcData iptc;
    Exiv2::XmpData xmp;
    std::string comment;
    std::string icc;

    void Set(const char* key, const Exiv2::Value& value) {
        data[key].setValue(&value);
        if (std::find(changed.begin(), changed.end(), key) == changed.end()) {
            changed.emplace_back(key);
        }
    }
};

class IptcMetadata {
public:
    Exiv2::IptcData data;
};

void ExifRelease::operator()(ExifMetadata* exif) const {
    std::default_delete<ExifMetadata>()(exif);
}
void IptcRelease::operator()(IptcMetadata* iptc) const {
    std::default_delete<IptcMetadata>()(iptc);
}

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

// exiv2 writes warnings about damaged files to stderr; damaged files are expected here.
void SilenceLibrary() {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
}

const Exiv2::Exifdatum* Find(const ExifMetadata* exif, const char* key) {
    if (exif == nullptr) {
        return nullptr;
    }
    const auto it = exif->data.findKey(Exiv2::ExifKey(key));
    return it == exif->data.end() ? nullptr : &*it;
}

int GetText(const ExifMetadata* exif, const char* key, std::string& text) {
    try {
        const Exiv2::Exifdatum* datum = Find(exif, key);
        if (datum == nullptr || datum->count() == 0) {
            return 0;
        }
        // Ascii values stop at their first NUL; padded texts come back without the padding.
        text = datum->toString();
        return 1;
    } catch (...) {
        return 0;
    }
}

bool RationalPart(const Exiv2::Value& value, long n, double& part) {
    // EXIF stores these as unsigned rationals; signed ones, text or bytes under the same tag
    // are a broken file, and reading them anyway gives places that never were.
    if (value.typeId() != Exiv2::unsignedRational) {
        return false;
    }
    const auto& rationals = dynamic_cast<const Exiv2::URationalValue&>(value);
    const std::int64_t numerator = rationals.value_.at(n).first;
    const std::int64_t denominator = rationals.value_.at(n).second;
    if (denominator == 0) {
        return false;  // a broken fraction is no position, not infinity
    }
    part = static_cast<double>(numerator) / static_cast<double>(denominator);
    return std::isfinite(part);
}

int GetDms(const ExifMetadata* exif, const char* key, double& degrees, double& minutes,
           double& seconds) {
    try {
        const Exiv2::Exifdatum* datum = Find(exif, key);
        if (datum == nullptr || datum->count() < 3) {
            return 0;
        }
        double parts[3];
        for (long n = 0; n < 3; ++n) {
            if (!RationalPart(datum->value(), n, parts[n])) {
                return 0;
            }
        }
        degrees = parts[0];
        minutes = parts[1];
        seconds = parts[2];
        return 1;
    } catch (...) {
        return 0;
    }
}

// The closest fraction with a decimal denominator (up to a millionth) that fits 32 bits.
bool ToURational(double value, Exiv2::URational& rational) {
    if (!std::isfinite(value) || value < 0 || value > 4294967295.0) {
        return false;
    }
    std::uint64_t denominator = 1000000;
    while (denominator > 1 && value * static_cast<double>(denominator) > 4294967295.0) {
        denominator /= 10;
    }
    std::uint64_t numerator =
        static_cast<std::uint64_t>(std::llround(value * static_cast<double>(denominator)));
    if (numerator > 4294967295u) {
        return false;
    }
    const std::uint64_t divisor = std::gcd(numerator, denominator);
    numerator /= divisor;
    denominator /= divisor;
    rational = {static_cast<std::uint32_t>(numerator), static_cast<std::uint32_t>(denominator)};
    return true;
}

int PutRationals(ExifMetadata* exif, const char* key, std::initializer_list<double> parts) {
    if (exif == nullptr) {
        return 0;
    }
    try {
        Exiv2::URationalValue value;
        for (double part : parts) {
            Exiv2::URational rational;
            if (!ToURational(part, rational)) {
                return 0;
            }
            value.value_.push_back(rational);
        }
        exif->Set(key, value);
        return 1;
    } catch (...) {
        return 0;
    }
}

int PutRef(ExifMetadata* exif, const char* key, const std::string& ref, const char* positive,
           const char* negative) {
    if (exif == nullptr || (ref != positive && ref != negative)) {
        return 0;
    }
    try {
        // read() ends the text with the NUL that EXIF counts ("N" has count 2, as cameras
        // write it); the constructor would store it without.
        Exiv2::AsciiValue value;
        if (value.read(ref) != 0) {
            return 0;
        }
        exif->Set(key, value);
        return 1;
    } catch (...) {
        return 0;
    }
}

int PutBytes(ExifMetadata* exif, const char* key, const std::string& values) {
    try {
        Exiv2::Value::AutoPtr value = Exiv2::Value::create(Exiv2::unsignedByte);
        if (value->read(values) != 0) {
            return 0;
        }
        exif->Set(key, *value);
        return 1;
    } catch (...) {
        return 0;
    }
}

const Exiv2::Exifdatum* FindIn(const Exiv2::ExifData& data, const std::string& key) {
    const auto it = data.findKey(Exiv2::ExifKey(key));
    return it == data.end() ? nullptr : &*it;
}

// Pointers to directories and to the maker note: where the data lies, not what it is. Their
// targets are read and compared tag by tag; the GPS directory moves with every write.
bool IsPointer(const std::string& key) {
    return key == "Exif.Image.ExifTag" || key == "Exif.Image.GPSTag" ||
           key == "Exif.Photo.InteroperabilityTag" || key == "Exif.MakerNote.Offset";
}

// What to compare of a tag: the data an offset points to, not the offset.
std::string Comparable(const Exiv2::Exifdatum& datum) {
    const Exiv2::DataBuf area = datum.dataArea();
    if (area.size_ > 0) {
        return "data " + std::string(reinterpret_cast<const char*>(area.pData_),
                                     static_cast<std::size_t>(area.size_));
    }
    return datum.value().toString();
}

bool IsXmpPosition(const std::string& key) {
    return key == "Xmp.exif.GPSLatitude" || key == "Xmp.exif.GPSLongitude" ||
           key == "Xmp.exif.GPSAltitude" || key == "Xmp.exif.GPSAltitudeRef" ||
           key == "Xmp.exif.GPSVersionID";
}

// Every tag as a key and the text compared; sorted, so that order does not count.
using Tags = std::vector<std::pair<std::string, std::string>>;

void AddTags(const Exiv2::ExifData& exif, Tags& tags) {
    for (const Exiv2::Exifdatum& datum : exif) {
        if (!IsPointer(datum.key())) {
            tags.emplace_back(datum.key(), Comparable(datum));
        }
    }
}

void AddTags(const Exiv2::IptcData& iptc, Tags& tags) {
    for (const Exiv2::Iptcdatum& datum : iptc) {
        tags.emplace_back(datum.key(), datum.value().toString());
    }
}

// The XMP position follows the EXIF one; that it is still there counts, not its value.
void AddTags(const Exiv2::XmpData& xmp, Tags& tags) {
    for (const Exiv2::Xmpdatum& datum : xmp) {
        tags.emplace_back(datum.key(), IsXmpPosition(datum.key()) ? std::string("the position")
                                                                  : datum.value().toString());
    }
}

std::string IccBytes(Exiv2::Image& image) {
    const Exiv2::DataBuf* icc = image.iccProfile();
    return icc == nullptr || icc->size_ <= 0
               ? std::string()
               : std::string(reinterpret_cast<const char*>(icc->pData_),
                             static_cast<std::size_t>(icc->size_));
}

Tags AllTags(const Exiv2::ExifData& exif, const Exiv2::IptcData& iptc, const Exiv2::XmpData& xmp,
             const std::string& comment, const std::string& icc) {
    Tags tags;
    AddTags(exif, tags);
    AddTags(iptc, tags);
    AddTags(xmp, tags);
    tags.emplace_back("the JPEG comment", comment);
    tags.emplace_back("the colour profile", icc);
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

// A GPS tag as the byte-level edit writes it; false for a type that edit does not write.
bool ToTiffField(const Exiv2::Exifdatum& datum, TiffField& field) {
    field.tag = datum.tag();
    field.values.clear();
    const long count = datum.count();
    switch (datum.typeId()) {
        case Exiv2::unsignedByte:
        case Exiv2::asciiString:
        case Exiv2::undefined: {
            field.type = datum.typeId() == Exiv2::unsignedByte  ? TiffType::Byte
                         : datum.typeId() == Exiv2::asciiString ? TiffType::Ascii
                                                                : TiffType::Undefined;
            std::vector<Exiv2::byte> bytes(static_cast<std::size_t>(datum.size()));
            datum.copy(bytes.data(), Exiv2::littleEndian);
            field.values.assign(bytes.begin(), bytes.end());
            return true;
        }
        case Exiv2::unsignedShort:
        case Exiv2::unsignedLong:
            field.type = datum.typeId() == Exiv2::unsignedShort ? TiffType::Short : TiffType::Long;
            for (long n = 0; n < count; ++n) {
                field.values.push_back(static_cast<std::uint32_t>(datum.toLong(n)));
            }
            return true;
        case Exiv2::unsignedRational: {
            field.type = TiffType::Rational;
            const auto& value = dynamic_cast<const Exiv2::URationalValue&>(datum.value());
            for (const Exiv2::URational& rational : value.value_) {
                field.values.push_back(rational.first);
                field.values.push_back(rational.second);
            }
            return true;
        }
        default:
            return false;
    }
}

// The changed tags as fields for the byte-level edit; false, with why, when they are not all
// GPS tags of types it writes.
bool ChangedGpsFields(const ExifMetadata& exif, std::vector<TiffField>& fields, std::string& why) {
    for (const std::string& key : exif.changed) {
        const Exiv2::Exifdatum* datum = FindIn(exif.data, key);
        TiffField field;
        if (datum == nullptr || datum->groupName() != "GPSInfo" || !ToTiffField(*datum, field)) {
            why = key + " is not a GPS tag the edit writes";
            return false;
        }
        fields.push_back(std::move(field));
    }
    return true;
}

// The whole new file when only the GPS data needs to change and the edit can make it; else
// false, with why.
bool EditOnlyGps(const std::string& source, const std::string& bytes, const ExifMetadata& exif,
                 std::string& edited, std::string& why) {
    if (exif.source != source) {
        why = "the EXIF data was read from another file";
        return false;
    }
    std::vector<TiffField> fields;
    if (!ChangedGpsFields(exif, fields, why)) {
        return false;
    }
    if (fields.empty()) {
        edited = bytes;  // nothing to change
        return true;
    }
    const GpsEditOutcome outcome = EditJpegGps(bytes, fields, edited);
    if (outcome.result == GpsEditResult::Refused) {
        why = outcome.reason;
        return false;
    }
    if (!outcome.xmpLeft.empty()) {
        TraceValue("  XMP position left as it was", outcome.xmpLeft);
    }
    return true;
}

// The photo's XMP packet as it was, its position (if it holds one) set to the new one, for
// the library to write without encoding the packet anew.
void KeepXmpPacket(Exiv2::Image& image, const ExifMetadata* exif) {
    // First: asked for the packet otherwise, exiv2 encodes it anew from what it parsed.
    image.writeXmpFromPacket(true);
    const std::string& original = std::as_const(image).xmpPacket();
    std::vector<TiffField> fields;
    std::string why;
    std::string packet;
    if (exif != nullptr && !original.empty() && ChangedGpsFields(*exif, fields, why) &&
        EditXmpGps(original, ToXmpGpsValues(fields), packet) == XmpEditResult::Edited) {
        image.setXmpPacket(packet);
    }
}

}  // namespace

int cGetImageFileMetadata(const std::string& path, int iptcFlag, int writeFlag, ExifHandle& exif,
                          IptcHandle& iptc) {
    exif.reset();
    iptc.reset();
    SilenceLibrary();
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return 0;  // a pipe or device would block or never end
    }
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
        if (image.get() == nullptr) {
            return 0;
        }
        image->readMetadata();
        if (!image->exifData().empty()) {
            exif.reset(std::make_unique<ExifMetadata>().release());
            exif->data = image->exifData();
            exif->source = path;
            exif->iptc = image->iptcData();
            exif->xmp = image->xmpData();
            exif->comment = image->comment();
            exif->icc = IccBytes(*image);
        }
        if (iptcFlag != 0 && !image->iptcData().empty()) {
            iptc.reset(std::make_unique<IptcMetadata>().release());
            iptc->data = image->iptcData();
        }
        return writeFlag != 0 && !image->supportsMetadata(Exiv2::mdExif) ? 0 : 1;
    } catch (...) {
        exif.reset();
        iptc.reset();
        return 0;
    }
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
    std::string bytes;
    for (char digit : version) {
        if (digit < '0' || digit > '9') {
            return 0;
        }
        bytes += bytes.empty() ? "" : " ";
        bytes += digit;
    }
    return PutBytes(exif, kVersion, bytes);
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
    return PutBytes(exif, kAltitudeRef, ref == 0 ? "0" : "1");
}

int cMergeMetadata(const std::string& source, const std::string& destination,
                   const ExifMetadata* exif, const IptcMetadata* iptc, std::string& errorText,
                   MergeWay way, Flush flush) {
    SilenceLibrary();
    try {
        WholeFile file;
        if (!ReadWholeFile(source, file, errorText)) {
            return 0;
        }
        if (way == MergeWay::OnlyWhatChanged && exif != nullptr) {
            std::string edited;
            std::string why;
            if (EditOnlyGps(source, file.bytes, *exif, edited, why)) {
                return WriteNewFile(destination, edited.data(), edited.size(), file.mode, errorText,
                                    flush)
                           ? 1
                           : 0;
            }
            Trace("  Every tag written anew: " + why);
        }
        // Rewritten in memory: exiv2 would otherwise rewrite the source file in place.
        Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(file.bytes.data()),
                                      static_cast<long>(file.bytes.size()));
        if (image.get() == nullptr) {
            errorText = "Unknown image format: " + source;
            return 0;
        }
        image->readMetadata();
        if (exif != nullptr) {
            image->setExifData(exif->data);
        }
        if (iptc != nullptr) {
            image->setIptcData(iptc->data);
        }
        if (way == MergeWay::OnlyWhatChanged) {
            KeepXmpPacket(*image, exif);
        }
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        const long size = io.size();
        const Exiv2::byte* data = io.mmap(false);
        const bool written = WriteNewFile(destination, data, static_cast<std::size_t>(size),
                                          file.mode, errorText, flush);
        io.munmap();
        return written ? 1 : 0;
    } catch (const std::exception& error) {
        errorText = error.what();
        return 0;
    } catch (...) {
        errorText = "Unknown error while writing " + destination;
        return 0;
    }
}

int cCheckMetadata(const std::string& path, const ExifMetadata* expected, std::string& errorText) {
    SilenceLibrary();
    if (expected == nullptr) {
        errorText = "nothing to compare with";
        return 0;
    }
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
        if (image.get() == nullptr) {
            errorText = "not an image the library knows";
            return 0;
        }
        image->readMetadata();
        errorText = FirstDifference(AllTags(expected->data, expected->iptc, expected->xmp,
                                            expected->comment, expected->icc),
                                    AllTags(image->exifData(), image->iptcData(), image->xmpData(),
                                            image->comment(), IccBytes(*image)));
        return errorText.empty() ? 1 : 0;
    } catch (const std::exception& error) {
        errorText = std::string("cannot be read back: ") + error.what();
        return 0;
    } catch (...) {
        errorText = "cannot be read back";
        return 0;
    }
}

void cDestroyEXIF(ExifHandle& exif) {
    exif.reset();
}

void cDestroyIPTC(IptcHandle& iptc) {
    iptc.reset();
}

}  // namespace geotal
