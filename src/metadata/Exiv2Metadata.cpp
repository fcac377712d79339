#include "metadata/Exiv2Metadata.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <exception>
#include <mutex>
#include <numeric>
#include <stdexcept>

#include <exiv2/exiv2.hpp>

#include "metadata/JpegGpsEdit.h"
#include "metadata/JpegSegments.h"
#include "metadata/XmpValues.h"
#include "support/FileDescriptor.h"
#include "support/WholeFile.h"

namespace geotal {

class ExifMetadata {
public:
    Exiv2::ExifData data;
    // The file the data was read from, and what else it held, for the read-back check.
    std::string source;
    Exiv2::IptcData iptc;
    Exiv2::XmpData xmp;
    std::string comment;
    std::string icc;

    void RemoveGps(std::uint16_t tag) {
        const Exiv2::ExifKey key(tag, "GPSInfo");
        for (auto it = data.findKey(key); it != data.end(); it = data.findKey(key)) {
            data.erase(it);
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

// Held around every registration of an XMP namespace in the library's toolkit.
std::mutex xmpNamespaces;

void LockXmpNamespaces(void*, bool lock) {
    if (lock) {
        xmpNamespaces.lock();
    } else {
        xmpNamespaces.unlock();
    }
}

// Everything every exiv2 call needs done first, done once whatever the thread.
void SilenceLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        // exiv2 writes warnings about damaged files to stderr; damaged files are expected here.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        // The ISO-media formats (CR3, HEIC, AVIF) stay unread until they are switched on.
        Exiv2::enableBMFF(true);
        // The XMP toolkit is set up by its first decode or encode unless it is set up here, and
        // that set-up is not thread-safe; with a lock, photos read on several threads register
        // the namespaces of their packets one at a time.
        Exiv2::XmpParser::initialize(LockXmpNamespaces, nullptr);
    });
}

}  // namespace

void InitMetadataLibrary() {
    SilenceLibrary();
}

namespace {

const Exiv2::Exifdatum* Find(const Exiv2::ExifData& data, const std::string& key) {
    const auto it = data.findKey(Exiv2::ExifKey(key));
    return it == data.end() ? nullptr : &*it;
}

bool RationalPart(const Exiv2::Value& value, long n, double& part) {
    // EXIF stores these as unsigned rationals. Some phones write signed ones, which say the
    // same where no part is below zero; a negative part, text or bytes under the same tag are
    // a broken file, and reading them anyway gives places that never were.
    std::int64_t numerator = 0;
    std::int64_t denominator = 0;
    if (value.typeId() == Exiv2::unsignedRational) {
        const auto& rationals = dynamic_cast<const Exiv2::URationalValue&>(value);
        numerator = rationals.value_.at(n).first;
        denominator = rationals.value_.at(n).second;
    } else if (value.typeId() == Exiv2::signedRational) {
        const auto& rationals = dynamic_cast<const Exiv2::RationalValue&>(value);
        numerator = rationals.value_.at(n).first;
        denominator = rationals.value_.at(n).second;
        if (numerator < 0 || denominator < 0) {
            return false;
        }
    } else {
        return false;
    }
    if (denominator == 0) {
        return false;  // a broken fraction is no position, not infinity
    }
    part = static_cast<double>(numerator) / static_cast<double>(denominator);
    return std::isfinite(part);
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

std::string IccBytes(Exiv2::Image& image) {
    const Exiv2::DataBuf* icc = image.iccProfile();
    return icc == nullptr || icc->size_ <= 0
               ? std::string()
               : std::string(reinterpret_cast<const char*>(icc->pData_),
                             static_cast<std::size_t>(icc->size_));
}

MetadataTexts Texts(const Exiv2::ExifData& exif, const Exiv2::IptcData& iptc,
                    const Exiv2::XmpData& xmp, const std::string& comment, const std::string& icc) {
    MetadataTexts texts;
    for (const Exiv2::Exifdatum& datum : exif) {
        texts.exif.emplace_back(datum.key(), Comparable(datum));
    }
    for (const Exiv2::Iptcdatum& datum : iptc) {
        texts.iptc.emplace_back(datum.key(), datum.value().toString());
    }
    for (const Exiv2::Xmpdatum& datum : xmp) {
        texts.xmp.emplace_back(datum.key(), datum.value().toString());
    }
    texts.comment = comment;
    texts.icc = icc;
    return texts;
}

// A field of a GPS change as exiv2's value of its type; null, with why, for a field the change
// does not write.
std::unique_ptr<Exiv2::Value> GpsValue(const TiffField& field, std::string& why) {
    const std::string tag = "GPS tag " + std::to_string(field.tag);
    switch (field.type) {
        case TiffType::Byte: {
            std::vector<Exiv2::byte> bytes;
            for (std::uint32_t value : field.values) {
                if (value > 0xFF) {
                    why = tag + " holds a byte past 255";
                    return nullptr;
                }
                bytes.push_back(static_cast<Exiv2::byte>(value));
            }
            auto value = std::make_unique<Exiv2::DataValue>(Exiv2::unsignedByte);
            value->read(bytes.data(), static_cast<long>(bytes.size()));
            return value;
        }
        case TiffType::Ascii: {
            std::string text;
            for (std::uint32_t value : field.values) {
                text += static_cast<char>(value);
            }
            if (text.empty() || text.back() != '\0' || text.find('\0') != text.size() - 1) {
                why = tag + " is no text ending in its NUL";
                return nullptr;
            }
            text.pop_back();
            // read() ends the text with the NUL that EXIF counts ("N" has count 2, as cameras
            // write it); the constructor would store it without.
            auto value = std::make_unique<Exiv2::AsciiValue>();
            value->read(text);
            return value;
        }
        case TiffType::Rational: {
            auto value = std::make_unique<Exiv2::URationalValue>();
            if (field.values.empty() || field.values.size() % 2 != 0) {
                why = tag + " is no list of fractions";
                return nullptr;
            }
            for (std::size_t i = 0; i < field.values.size(); i += 2) {
                if (field.values[i + 1] == 0) {
                    why = tag + " has a zero denominator";
                    return nullptr;
                }
                value->value_.emplace_back(field.values[i], field.values[i + 1]);
            }
            return value;
        }
        default:
            why = tag + " is of a type a position does not use";
            return nullptr;
    }
}

// A pipe or device under a photo's name would block, or never end.
bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The library maps a file it parses as TIFF (most RAW formats) and reads the mapping: a file
// another program cuts short meanwhile would end the process with SIGBUS. This hands it a
// private copy of the bytes instead, read whole with pread; the other reads it makes go through
// stdio, where a short file is a short read.
class PrivateCopyIo : public Exiv2::FileIo {
public:
    explicit PrivateCopyIo(const std::string& path) : FileIo(path), path_(path) {}

    Exiv2::byte* mmap(bool isWriteable) override {
        if (isWriteable) {
            throw std::runtime_error("the file is only read here");
        }
        const long size = this->size();
        FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (fd.get() < 0 || size < 0) {
            throw std::runtime_error("the file cannot be read");
        }
        copy_.assign(static_cast<std::size_t>(size), 0);
        std::size_t done = 0;
        while (done < copy_.size()) {
            const ssize_t got = ::pread(fd.get(), copy_.data() + done, copy_.size() - done,
                                        static_cast<off_t>(done));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                throw std::runtime_error("the file was cut short while it was read");
            }
            done += static_cast<std::size_t>(got);
        }
        return copy_.data();
    }

    int munmap() override {
        std::vector<Exiv2::byte>().swap(copy_);
        return 0;
    }

private:
    std::string path_;
    std::vector<Exiv2::byte> copy_;
};

// The image of the file at path, read through a private copy where the library would map it.
Exiv2::Image::AutoPtr OpenImage(const std::string& path) {
    Exiv2::BasicIo::AutoPtr io(std::make_unique<PrivateCopyIo>(path).release());
    return Exiv2::ImageFactory::open(io);
}

// Opens the regular file at path, reads its metadata and hands the image to use, which answers
// for the call. Whatever the library throws becomes error and false.
template <typename Use>
bool WithImage(const std::string& path, std::string& error, Use use) {
    SilenceLibrary();
    if (!IsRegularFile(path)) {
        error = "not a regular file";
        return false;
    }
    try {
        Exiv2::Image::AutoPtr image = OpenImage(path);
        if (image.get() == nullptr) {
            error = "not a format the metadata library reads";
            return false;
        }
        image->readMetadata();
        return use(*image);
    } catch (const std::exception& failure) {
        error = failure.what();
        return false;
    } catch (...) {
        error = "the metadata library failed";
        return false;
    }
}

// The image's metadata, moved, not copied: the image goes with the caller, and a RAW file's
// thousands of maker-note tags would otherwise be copied one allocation at a time.
ExifHandle TakeMetadata(Exiv2::Image& image, const std::string& path) {
    ExifHandle exif(std::make_unique<ExifMetadata>().release());
    exif->data = std::move(image.exifData());
    exif->source = path;
    exif->iptc = std::move(image.iptcData());
    exif->xmp = std::move(image.xmpData());
    exif->comment = image.comment();
    exif->icc = IccBytes(image);
    return exif;
}

TagTexts TextsOfXmp(const Exiv2::XmpData& data) {
    TagTexts xmp;
    for (const Exiv2::Xmpdatum& datum : data) {
        xmp.emplace_back(datum.key(), datum.value().toString());
    }
    return xmp;
}

}  // namespace

bool OpenMetadata(const std::string& path, bool withIptc, bool forWriting, ExifHandle& exif,
                  IptcHandle& iptc) {
    exif.reset();
    iptc.reset();
    std::string ignored;
    const bool opened = WithImage(path, ignored, [&](Exiv2::Image& image) {
        if (withIptc && !image.iptcData().empty()) {
            iptc.reset(std::make_unique<IptcMetadata>().release());
            iptc->data = image.iptcData();
        }
        if (!image.exifData().empty()) {
            exif = TakeMetadata(image, path);
        }
        return !forWriting || image.supportsMetadata(Exiv2::mdExif);
    });
    if (!opened) {
        exif.reset();
        iptc.reset();
    }
    return opened;
}

namespace {

bool OpenJpegWithoutExif(const std::string& path, ExifHandle& exif, std::string& why) {
    exif.reset();
    SilenceLibrary();
    try {
        Exiv2::Image::AutoPtr image = OpenImage(path);
        if (image.get() == nullptr || image->mimeType() != "image/jpeg") {
            why = "not a JPEG file";
            return false;
        }
        image->readMetadata();
        if (!image->exifData().empty()) {
            why = "it holds EXIF data";
            return false;
        }
        auto made = std::make_unique<ExifMetadata>();
        made->source = path;
        // What the new segment's IFD0 holds besides the GPS pointer, so that the new file is
        // checked against it; written with the segment, not as a change of its own.
        WholeFile file;
        std::string unread;
        if (ReadWholeFile(path, file, unread) && !HasExifSegment(file.bytes)) {
            const JpegResolution resolution = NewExifResolution(file.bytes);
            made->data["Exif.Image.XResolution"] = Exiv2::URational(resolution.x, 1);
            made->data["Exif.Image.YResolution"] = Exiv2::URational(resolution.y, 1);
            made->data["Exif.Image.ResolutionUnit"] = resolution.unit;
            made->data["Exif.Image.YCbCrPositioning"] = std::uint16_t{1};
        }
        made->iptc = image->iptcData();
        made->xmp = image->xmpData();
        made->comment = image->comment();
        made->icc = IccBytes(*image);
        exif.reset(made.release());
        return true;
    } catch (const std::exception& failure) {
        why = std::string("not a readable JPEG file: ") + failure.what();
        return false;
    } catch (...) {
        why = "not a readable JPEG file";
        return false;
    }
}

}  // namespace

bool NewJpegExif(const std::string& path, ExifHandle& exif, std::string& why) {
    exif.reset();
    WholeFile file;
    std::vector<JpegSegment> segments;
    if (!ReadWholeFile(path, file, why)) {
        return false;
    }
    const std::string_view bytes = file.bytes;
    if (!StartsWith(bytes, "\xFF\xD8")) {
        why = "not a JPEG file";
        return false;
    }
    // A new segment in a damaged file would make a photo that looks whole and is not.
    if (!ListJpegSegments(bytes, segments, why) || !HasWholeImage(bytes, segments)) {
        why = "a JPEG file cut short or damaged, without a whole image";
        return false;
    }
    for (const JpegSegment& segment : segments) {
        // An EXIF segment the library read no tag from (an empty IFD0, say) is added to where
        // the byte-level edit can parse it; one it cannot parse is not to be replaced.
        std::string edited;
        if (segment.marker == 0xE1 && StartsWith(segment.Data(bytes), {"Exif\0\0", 6}) &&
            EditJpegGps(bytes, {{{0, TiffType::Byte, {2, 2, 0, 0}}}, {}}, edited).result ==
                GpsEditResult::Refused) {
            why = "its EXIF data cannot be read";
            return false;
        }
    }
    return OpenJpegWithoutExif(path, exif, why);
}

std::optional<std::string> ExifText(const ExifMetadata& exif, const char* key) {
    try {
        const Exiv2::Exifdatum* datum = Find(exif.data, key);
        if (datum == nullptr || datum->count() == 0) {
            return std::nullopt;
        }
        // Ascii values stop at their first NUL; padded texts come back without the padding.
        return datum->toString();
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<double>> ExifRationals(const ExifMetadata& exif, const char* key) {
    try {
        const Exiv2::Exifdatum* datum = Find(exif.data, key);
        if (datum == nullptr || datum->count() < 3) {
            return std::nullopt;
        }
        std::vector<double> parts(3);
        for (long n = 0; n < 3; ++n) {
            if (!RationalPart(datum->value(), n, parts[static_cast<std::size_t>(n)])) {
                return std::nullopt;
            }
        }
        return parts;
    } catch (...) {
        return std::nullopt;
    }
}

bool SetGpsChange(ExifMetadata& exif, const GpsChange& change, std::string& why) {
    try {
        for (const TiffField& field : change.fields) {
            const std::unique_ptr<Exiv2::Value> value = GpsValue(field, why);
            if (value == nullptr) {
                return false;
            }
            exif.data[Exiv2::ExifKey(field.tag, "GPSInfo").key()].setValue(value.get());
        }
    } catch (const std::exception& failure) {
        why = failure.what();
        return false;
    } catch (...) {
        why = "the library took no value";
        return false;
    }
    for (std::uint16_t tag : change.removed) {
        try {
            exif.RemoveGps(tag);
        } catch (...) {
            // A tag number exiv2 does not know in that group cannot be in the data either.
        }
    }
    if (IsRemoval(change)) {
        // A pointer to an empty GPS directory would still say the photo has GPS data.
        const bool gpsLeft = std::any_of(
            exif.data.begin(), exif.data.end(),
            [](const Exiv2::Exifdatum& datum) { return datum.groupName() == "GPSInfo"; });
        if (!gpsLeft) {
            const Exiv2::ExifKey pointer("Exif.Image.GPSTag");
            for (auto it = exif.data.findKey(pointer); it != exif.data.end();
                 it = exif.data.findKey(pointer)) {
                exif.data.erase(it);
            }
        } else {
            // The directory stays for the image direction: it keeps the version EXIF requires,
            // as the byte-level edit gives it.
            const TiffField version = GpsVersionField();
            const std::unique_ptr<Exiv2::Value> value = GpsValue(version, why);
            if (value == nullptr) {
                return false;
            }
            exif.data[Exiv2::ExifKey(version.tag, "GPSInfo").key()].setValue(value.get());
        }
    }
    return true;
}

const std::string& SourceOf(const ExifMetadata& exif) {
    return exif.source;
}

MetadataTexts TextsOf(const ExifMetadata& exif) {
    return Texts(exif.data, exif.iptc, exif.xmp, exif.comment, exif.icc);
}

bool ReadMetadataTexts(const std::string& path, MetadataTexts& texts, std::string& error) {
    SilenceLibrary();
    try {
        Exiv2::Image::AutoPtr image = OpenImage(path);
        if (image.get() == nullptr) {
            error = "not an image the library knows";
            return false;
        }
        image->readMetadata();
        texts = Texts(image->exifData(), image->iptcData(), image->xmpData(), image->comment(),
                      IccBytes(*image));
        return true;
    } catch (const std::exception& failure) {
        error = std::string("cannot be read back: ") + failure.what();
        return false;
    } catch (...) {
        error = "cannot be read back";
        return false;
    }
}

bool ReadPhotoTags(const std::string& path, ExifHandle& exif, TagTexts& xmp, std::string& error) {
    exif.reset();
    xmp.clear();
    const bool read = WithImage(path, error, [&](Exiv2::Image& image) {
        if (image.exifData().empty()) {
            xmp = TextsOfXmp(image.xmpData());
        } else {
            exif = TakeMetadata(image, path);
        }
        return true;
    });
    if (!read) {
        exif.reset();
        xmp.clear();
    }
    return read;
}

TagTexts XmpTextsOf(const ExifMetadata& exif) {
    return TextsOfXmp(exif.xmp);
}

bool ReadXmpTexts(const std::string& path, TagTexts& xmp, std::string& error) {
    xmp.clear();
    return WithImage(path, error, [&](Exiv2::Image& image) {
        xmp = TextsOfXmp(image.xmpData());
        return true;
    });
}

bool ParseXmpPacket(const std::string& packet, TagTexts& xmp, std::string& error) {
    SilenceLibrary();
    xmp.clear();
    // The parser takes text without RDF, and other formats' bytes, as an empty packet.
    if (!NamesRdf(packet)) {
        error = "no XMP packet (no RDF)";
        return false;
    }
    try {
        Exiv2::XmpData data;
        if (Exiv2::XmpParser::decode(data, packet) != 0) {
            error = "the XMP packet cannot be parsed";
            return false;
        }
        for (const Exiv2::Xmpdatum& datum : data) {
            xmp.emplace_back(datum.key(), datum.value().toString());
        }
        return true;
    } catch (const std::exception& failure) {
        error = failure.what();
        return false;
    } catch (...) {
        error = "the XMP packet cannot be parsed";
        return false;
    }
}

bool EditXmpWithExiv2(const std::string& packet, const XmpExifEdit& edit, std::string& edited,
                      std::string& error) {
    SilenceLibrary();
    try {
        // The library keeps the prefixes of every packet it parsed, process-wide: another
        // packet's binding of a prefix would decide this one's namespaces.
        Exiv2::XmpProperties::unregisterNs();
        Exiv2::XmpData data;
        if (!packet.empty() && Exiv2::XmpParser::decode(data, packet) != 0) {
            error = "the XMP packet cannot be parsed";
            return false;
        }
        const auto take = [&data](const std::string& name) {
            const Exiv2::XmpKey key("Xmp.exif." + name);
            for (auto it = data.findKey(key); it != data.end(); it = data.findKey(key)) {
                data.erase(it);
            }
        };
        for (const std::string& name : edit.removed) {
            take(name);
        }
        for (const auto& [name, text] : edit.set) {
            take(name);
            const Exiv2::XmpTextValue value(text);
            data.add(Exiv2::XmpKey("Xmp.exif." + name), &value);
        }
        if (Exiv2::XmpParser::encode(
                edited, data,
                Exiv2::XmpParser::omitPacketWrapper | Exiv2::XmpParser::useCompactFormat, 0) != 0) {
            error = "the XMP packet cannot be encoded";
            return false;
        }
        return true;
    } catch (const std::exception& failure) {
        error = failure.what();
        return false;
    } catch (...) {
        error = "the XMP packet cannot be edited";
        return false;
    }
}

bool RewriteMetadata(std::string_view file, const ExifMetadata* exif, const IptcMetadata* iptc,
                     const XmpPacketEdit* keepXmp, std::string& rewritten, std::string& error) {
    SilenceLibrary();
    try {
        // Rewritten in memory: exiv2 would otherwise rewrite the source file in place.
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte*>(file.data()), static_cast<long>(file.size()));
        if (image.get() == nullptr) {
            error = "Unknown image format";
            return false;
        }
        image->readMetadata();
        if (exif != nullptr) {
            image->setExifData(exif->data);
        }
        if (iptc != nullptr) {
            image->setIptcData(iptc->data);
        }
        if (keepXmp != nullptr) {
            // First: asked for the packet otherwise, exiv2 encodes it anew from what it parsed.
            image->writeXmpFromPacket(true);
            const std::string& original = std::as_const(*image).xmpPacket();
            if (!original.empty()) {
                if (const std::optional<std::string> packet = (*keepXmp)(original)) {
                    image->setXmpPacket(*packet);
                }
            }
        }
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        const long size = io.size();
        const Exiv2::byte* data = io.mmap(false);
        rewritten.assign(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
        io.munmap();
        return true;
    } catch (const std::exception& failure) {
        error = failure.what();
        return false;
    } catch (...) {
        error = "Unknown error while writing the metadata";
        return false;
    }
}

namespace {

// The EXIF orientation as a number from 1 to 8; anything else (absent, text, 0, 9) is upright.
int OrientationOf(const Exiv2::ExifData& exif) {
    const Exiv2::Exifdatum* datum = Find(exif, "Exif.Image.Orientation");
    if (datum == nullptr || datum->count() < 1) {
        return 1;
    }
    const long value = datum->toLong(0);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
}

}  // namespace

bool ReadPreviewImage(const std::string& path, const PreviewChooser& choose,
                      EmbeddedPreview& preview, std::string& why) {
    preview = {};
    return WithImage(path, why, [&](Exiv2::Image& image) {
        Exiv2::PreviewManager manager(image);
        const Exiv2::PreviewPropertiesList listed = manager.getPreviewProperties();
        std::vector<PreviewSize> sizes;
        for (const Exiv2::PreviewProperties& properties : listed) {
            sizes.push_back({static_cast<int>(properties.width_),
                             static_cast<int>(properties.height_),
                             static_cast<std::size_t>(properties.size_)});
        }
        const std::optional<std::size_t> chosen = choose(sizes);
        if (!chosen || *chosen >= listed.size()) {
            why = listed.empty() ? "it holds no preview image" : "it holds no usable preview image";
            return false;
        }
        const Exiv2::PreviewImage picture = manager.getPreviewImage(listed[*chosen]);
        if (picture.size() == 0) {
            why = "its preview image is empty";
            return false;
        }
        preview.bytes.assign(reinterpret_cast<const char*>(picture.pData()), picture.size());
        preview.mimeType = picture.mimeType();
        preview.width = static_cast<int>(picture.width());
        preview.height = static_cast<int>(picture.height());
        preview.orientation = OrientationOf(image.exifData());
        return true;
    });
}

}  // namespace geotal
