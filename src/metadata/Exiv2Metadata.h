// The exiv2 adapter: a photo's metadata as typed values behind handles. Every exiv2 call of the
// program is behind this header, and no exiv2 exception passes it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "metadata/EmbeddedPreview.h"
#include "metadata/GpsChange.h"
#include "metadata/XmpGpsEdit.h"

namespace geotal {

class ExifMetadata;
class IptcMetadata;

// Sets the library up once for the process: its warnings muted, ISO media read, and its XMP
// toolkit initialised with a lock for namespace registrations. Every function here calls it;
// code that uses them on several threads calls it before it starts them, as the toolkit's
// set-up itself must not race. Note that a sidecar edit through exiv2 (EditXmpWithExiv2)
// unregisters every namespace the library learnt, process-wide: no photo may be read on
// another thread meanwhile.
void InitMetadataLibrary();

struct ExifRelease {
    void operator()(ExifMetadata* exif) const;
};
struct IptcRelease {
    void operator()(IptcMetadata* iptc) const;
};

// Handles own what they hold.
using ExifHandle = std::unique_ptr<ExifMetadata, ExifRelease>;
using IptcHandle = std::unique_ptr<IptcMetadata, IptcRelease>;

// Reads the metadata of the regular file at path. exif is set when the file holds EXIF data,
// iptc when withIptc is set and it holds IPTC data. False when the file cannot be read as an
// image the library knows, or when forWriting is set and its format cannot take EXIF data.
bool OpenMetadata(const std::string& path, bool withIptc, bool forWriting, ExifHandle& exif,
                  IptcHandle& iptc);

// For a JPEG file without EXIF data: a handle without EXIF tags, into which the GPS change is
// set as for any photo, and which the merge then writes as a new EXIF segment. It holds the
// file's other metadata, which the new file is checked against. False, with why, for a file that
// is not a JPEG file (whatever its name), that cannot be read, that is cut short before the end
// of its image, or that has an EXIF segment (one the library could not read is not to be
// replaced).
bool NewJpegExif(const std::string& path, ExifHandle& exif, std::string& why);

// A tag's text (an ASCII value up to its first NUL); none when absent or empty.
std::optional<std::string> ExifText(const ExifMetadata& exif, const char* key);

// The first three parts of an unsigned rational tag; none when absent, of another type, or a
// part has a zero denominator.
std::optional<std::vector<double>> ExifRationals(const ExifMetadata& exif, const char* key);

// Gives the handle the GPS change: each field as its tag's new value, each removed tag taken
// out, so that the handle holds what the new file must read back as (and what the library
// writes where the byte-level edit cannot make the change). False, with why, for a field that
// is not a GPS tag exiv2 knows, of a type the change writes (bytes, ASCII ending in its NUL,
// unsigned fractions without a zero denominator); the handle may then hold part of the change.
bool SetGpsChange(ExifMetadata& exif, const GpsChange& change, std::string& why);

// The path the handle was read from.
const std::string& SourceOf(const ExifMetadata& exif);

// Every tag as its key and a comparable text (for a tag that points at data, that data), and
// what else a photo holds besides tags.
using TagTexts = std::vector<std::pair<std::string, std::string>>;
struct MetadataTexts {
    TagTexts exif, iptc, xmp;
    std::string comment, icc;
};

// The handle's EXIF tags with the IPTC and XMP tags, comment and colour profile of the photo it
// was read from.
MetadataTexts TextsOf(const ExifMetadata& exif);

// The same, read from the file at path; false, with error, when it cannot be read.
bool ReadMetadataTexts(const std::string& path, MetadataTexts& texts, std::string& error);

// One read of the photo at path for the photo list: exif as OpenMetadata gives it (no IPTC,
// not for writing); for a photo without EXIF data, its XMP properties in xmp instead (with EXIF
// data, XmpTextsOf gives them, when they are needed). False, with error as ReadXmpTexts words
// it, when the file cannot be read.
bool ReadPhotoTags(const std::string& path, ExifHandle& exif, TagTexts& xmp, std::string& error);

// The XMP properties of the photo the handle was read from.
TagTexts XmpTextsOf(const ExifMetadata& exif);

// The XMP properties (key and text) of a photo or sidecar file; false, with the library's reason,
// when the file cannot be read.
bool ReadXmpTexts(const std::string& path, TagTexts& xmp, std::string& error);

// The properties of an XMP packet given as text; false, with the library's reason, when it is
// not an XMP packet the library can parse.
bool ParseXmpPacket(const std::string& packet, TagTexts& xmp, std::string& error);

// The packet with the edit made through the library's XMP parser: parsed, the properties of the
// EXIF namespace set and taken out, encoded anew without a packet wrapper. An empty packet gives
// a new one. False, with error, when it cannot be parsed or encoded. The library names
// namespaces by prefix and adds a slash to a namespace without one: check what it gives.
bool EditXmpWithExiv2(const std::string& packet, const XmpExifEdit& edit, std::string& edited,
                      std::string& error);

// Edits a packet, or answers none to leave it as it is.
using XmpPacketEdit = std::function<std::optional<std::string>(const std::string& packet)>;

// The whole image file (its bytes given) with its metadata encoded anew by the library from the
// handles' EXIF (and IPTC) data. With keepXmp, the XMP packet keeps its own text, changed only
// by keepXmp's edit; otherwise the library encodes it too. False, with error, on failure.
bool RewriteMetadata(std::string_view file, const ExifMetadata* exif, const IptcMetadata* iptc,
                     const XmpPacketEdit* keepXmp, std::string& rewritten, std::string& error);

// Reads the photo at path, hands choose the sizes of its embedded previews (smallest first, as
// the library lists them) and gives the one it picks, with the photo's EXIF orientation. False,
// with why, when the file cannot be read, holds no preview or choose picks none.
using PreviewChooser = std::function<std::optional<std::size_t>(const std::vector<PreviewSize>&)>;
bool ReadPreviewImage(const std::string& path, const PreviewChooser& choose,
                      EmbeddedPreview& preview, std::string& why);

}  // namespace geotal
