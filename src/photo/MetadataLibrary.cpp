#include "photo/MetadataLibrary.h"

#include <sys/stat.h>
#include <cmath>
#include <cstdint>
#include <exception>
#include <numeric>
#include <vector>

#include <exiv2/exiv2.hpp>

#include "photo/FileOperations.h"
#include "support/WholeFile.h"

// Every exiv2 call of the program is in this file, and exiv2's exceptions stop here.

namespace geotal {

class ExifMetadata {
public:
    Exiv2::ExifData data;
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
        exif->data[key].setValue(&value);
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
        exif->data[key].setValue(&value);
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
        exif->data[key].setValue(value.get());
        return 1;
    } catch (...) {
        return 0;
    }
}

// Where the data lies, not what it is: pointers to sub-directories and the maker note, whose
// offsets inside change with every layout. The tags the maker note holds are compared.
bool IsLayout(const Exiv2::Exifdatum& datum) {
    const std::string key = datum.key();
    return key == "Exif.Image.ExifTag" || key == "Exif.Image.GPSTag" ||
           key == "Exif.Photo.InteroperabilityTag" || key == "Exif.Photo.MakerNote" ||
           datum.groupName() == "MakerNote";
}

// What to compare of a tag: the data an offset points to, not the offset.
std::string Comparable(const Exiv2::Exifdatum& datum) {
    const Exiv2::DataBuf area = datum.dataArea();
    if (area.size_ > 0) {
        return "data " + std::string(reinterpret_cast<const char*>(area.pData_),
                                     static_cast<std::size_t>(area.size_));
    }
    const std::string name = datum.tagName();
    if (name == "JPEGInterchangeFormat" || name == "StripOffsets" || name == "TileOffsets") {
        return "an offset";  // to data that was not there to read
    }
    return datum.value().toString();
}

const Exiv2::Exifdatum* FindIn(const Exiv2::ExifData& data, const std::string& key) {
    const auto it = data.findKey(Exiv2::ExifKey(key));
    return it == data.end() ? nullptr : &*it;
}

// The tags as the library writes them into any JPEG: encoded on their own, then read back.
Exiv2::ExifData AsWritten(const Exiv2::ExifData& data) {
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, nullptr, 0, Exiv2::littleEndian, data);
    Exiv2::ExifData written;
    if (!blob.empty()) {
        Exiv2::ExifParser::decode(written, blob.data(), static_cast<std::uint32_t>(blob.size()));
    }
    return written;
}

// The first tag of expected that found differs from, as this library would not have made it.
std::string FirstDifference(const Exiv2::ExifData& expected, const Exiv2::ExifData& found) {
    const Exiv2::ExifData byDesign = AsWritten(expected);
    for (const Exiv2::Exifdatum& datum : expected) {
        if (IsLayout(datum)) {
            continue;
        }
        const std::string key = datum.key();
        const std::string want = Comparable(datum);
        const Exiv2::Exifdatum* got = FindIn(found, key);
        const Exiv2::Exifdatum* designed = FindIn(byDesign, key);
        if (got == nullptr) {
            if (designed != nullptr) {
                return key + " is missing";
            }
        } else if (Comparable(*got) != want &&
                   (designed == nullptr || Comparable(*designed) == want)) {
            return key + " changed";
        }
    }
    return {};
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
                   const ExifMetadata* exif, const IptcMetadata* iptc, std::string& errorText) {
    SilenceLibrary();
    try {
        WholeFile file;
        if (!ReadWholeFile(source, file, errorText)) {
            return 0;
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
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        const long size = io.size();
        const Exiv2::byte* data = io.mmap(false);
        const bool written =
            WriteNewFile(destination, data, static_cast<std::size_t>(size), file.mode, errorText);
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
        errorText = FirstDifference(expected->data, image->exifData());
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
