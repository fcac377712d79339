#include "metadata/TiffListedTags.h"

#include <fcntl.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "metadata/TiffBytes.h"
#include "metadata/TiffField.h"
#include "support/FileDescriptor.h"

namespace geotal {
namespace {

constexpr auto kAsciiType = static_cast<std::uint16_t>(TiffType::Ascii);
constexpr auto kRationalType = static_cast<std::uint16_t>(TiffType::Rational);
constexpr std::uint16_t kSignedRationalType = 10;
// The library does not read a directory of more entries than this.
constexpr std::uint16_t kMostEntries = 256;
// Dates and offsets are a few bytes; a longer text is a damaged file, left to the library.
constexpr std::uint32_t kLongestText = 4096;

// One directory entry: its tag, type and count, and the four bytes that hold its value or the
// value's offset, kept as they stand in the file.
struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::string valueField;
};

class Reader {
public:
    explicit Reader(ByteSource& source) : source_(source) {}

    // The header's byte order and the offset of the first directory.
    bool ReadHeader(std::uint32_t& firstDirectory) {
        std::string header;
        if (!source_.Read(0, 8, header)) {
            return false;
        }
        if (header.compare(0, 4, "II*\0", 4) == 0) {
            order_ = ByteOrder::Little;
        } else if (header.compare(0, 4, "MM\0*", 4) == 0) {
            order_ = ByteOrder::Big;
        } else {
            return false;
        }
        firstDirectory = Get32(header, 4, order_);
        return true;
    }

    // The entries of the directory at offset, which must lie whole within the source and
    // start after the header.
    bool ReadDirectory(std::uint32_t offset, std::vector<Entry>& entries) {
        std::string count;
        if (offset < 8 || !source_.Read(offset, 2, count)) {
            return false;
        }
        const std::uint16_t n = Get16(count, 0, order_);
        std::string table;
        if (n > kMostEntries || !source_.Read(offset + 2ULL, n * kTiffEntrySize, table)) {
            return false;
        }
        entries.clear();
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = i * kTiffEntrySize;
            entries.push_back({Get16(table, at, order_), Get16(table, at + 2, order_),
                               Get32(table, at + 4, order_), table.substr(at + 8, 4)});
        }
        return true;
    }

    // The first bytes of the entry's value, up to wanted; false when its type is unknown or
    // the whole value does not lie within the source after the header.
    bool Value(const Entry& entry, std::size_t wanted, std::string& value) {
        const std::uint64_t size = std::uint64_t{TiffTypeSize(entry.type)} * entry.count;
        if (TiffTypeSize(entry.type) == 0) {
            return false;
        }
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(size, wanted));
        if (size <= 4) {
            value = entry.valueField.substr(0, length);
            return true;
        }
        // The library takes a value that starts inside the header for a broken entry.
        const std::uint64_t at = Get32(entry.valueField, 0, order_);
        return at >= 8 && at <= source_.Size() && size <= source_.Size() - at &&
               source_.Read(at, length, value);
    }

    // An ASCII text up to its first NUL; none for no entry or an empty one.
    bool Text(const Entry* entry, std::optional<std::string>& text) {
        text.reset();
        if (entry == nullptr || entry->count == 0) {
            return true;
        }
        std::string value;
        if (entry->type != kAsciiType || entry->count > kLongestText ||
            !Value(*entry, entry->count, value)) {
            return false;
        }
        text = value.substr(0, value.find('\0'));
        return true;
    }

    // The first three parts of a rational value; none where the library gives none. Signed
    // rationals, as some phones write coordinates, count where no part is below zero.
    bool Rationals(const Entry* entry, std::optional<std::array<double, 3>>& parts) {
        parts.reset();
        if (entry == nullptr || entry->count < 3) {
            return true;
        }
        std::string value;
        if (!Value(*entry, 3 * 8, value)) {
            return false;
        }
        const bool isSigned = entry->type == kSignedRationalType;
        if (entry->type != kRationalType && !isSigned) {
            return true;
        }
        std::array<double, 3> read{};
        for (std::size_t n = 0; n < 3; ++n) {
            const std::uint32_t numerator = Get32(value, n * 8, order_);
            const std::uint32_t denominator = Get32(value, n * 8 + 4, order_);
            if (isSigned && (static_cast<std::int32_t>(numerator) < 0 ||
                             static_cast<std::int32_t>(denominator) <= 0)) {
                return true;
            }
            if (denominator == 0) {
                return true;
            }
            read[n] = static_cast<double>(numerator) / denominator;
        }
        parts = read;
        return true;
    }

    // The offset a directory pointer holds; false for a pointer the library would not follow
    // as one directory.
    bool Pointer(const Entry& entry, std::uint32_t& offset) const {
        if (!IsDirectoryPointer(entry.type, entry.count)) {
            return false;
        }
        offset = Get32(entry.valueField, 0, order_);
        return true;
    }

private:
    ByteSource& source_;
    ByteOrder order_ = ByteOrder::Little;
};

// The first entry of the tag: the library finds the first of two.
const Entry* Find(const std::vector<Entry>& entries, std::uint16_t tag) {
    for (const Entry& entry : entries) {
        if (entry.tag == tag) {
            return &entry;
        }
    }
    return nullptr;
}

bool Once(const std::vector<Entry>& entries, std::uint16_t tag) {
    int seen = 0;
    for (const Entry& entry : entries) {
        seen += entry.tag == tag ? 1 : 0;
    }
    return seen <= 1;
}

// The directory a pointer of the first directory leads to; no entries when there is no
// pointer. False for a pointer that is doubled, odd, or leads outside the source or back.
bool SubDirectory(Reader& reader, const std::vector<Entry>& first, std::uint16_t pointerTag,
                  std::vector<std::uint32_t>& visited, std::vector<Entry>& entries) {
    entries.clear();
    const Entry* pointer = Find(first, pointerTag);
    if (pointer == nullptr) {
        return true;
    }
    std::uint32_t offset = 0;
    if (!Once(first, pointerTag) || !reader.Pointer(*pointer, offset)) {
        return false;
    }
    for (std::uint32_t seen : visited) {
        if (seen == offset) {
            return false;
        }
    }
    visited.push_back(offset);
    return reader.ReadDirectory(offset, entries);
}

// The listed tags one kind of directory holds, read into tags; false where the library would
// read them otherwise.
bool ReadDirectoryTags(Reader& reader, const std::vector<Entry>& entries, TiffDirectory kind,
                       ListedExifTags& tags) {
    switch (kind) {
        case TiffDirectory::Image:
            return reader.Text(Find(entries, 0x0132), tags.dateTime) &&
                   reader.Text(Find(entries, 0x010F), tags.make) &&
                   reader.Text(Find(entries, 0x0110), tags.model);
        case TiffDirectory::Exif:
            return reader.Text(Find(entries, 0x9003), tags.dateTimeOriginal) &&
                   reader.Text(Find(entries, 0x9004), tags.dateTimeDigitized) &&
                   reader.Text(Find(entries, 0xA431), tags.bodySerialNumber) &&
                   reader.Text(Find(entries, 0x9011), tags.offsetTimeOriginal) &&
                   reader.Text(Find(entries, 0x9010), tags.offsetTime);
        case TiffDirectory::Gps:
            return reader.Text(Find(entries, 0x0001), tags.latitudeRef) &&
                   reader.Rationals(Find(entries, 0x0002), tags.latitude) &&
                   reader.Text(Find(entries, 0x0003), tags.longitudeRef) &&
                   reader.Rationals(Find(entries, 0x0004), tags.longitude);
    }
    return false;
}

}  // namespace

std::optional<ListedExifTags> ReadTiffListedTags(ByteSource& source) {
    Reader reader(source);
    std::uint32_t firstOffset = 0;
    std::vector<Entry> first, exif, gps;
    if (!reader.ReadHeader(firstOffset) || !reader.ReadDirectory(firstOffset, first)) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> visited{firstOffset};
    if (!SubDirectory(reader, first, kExifPointerTag, visited, exif) ||
        !SubDirectory(reader, first, kGpsPointerTag, visited, gps)) {
        return std::nullopt;
    }
    ListedExifTags tags;
    if (!ReadDirectoryTags(reader, first, TiffDirectory::Image, tags) ||
        !ReadDirectoryTags(reader, exif, TiffDirectory::Exif, tags) ||
        !ReadDirectoryTags(reader, gps, TiffDirectory::Gps, tags)) {
        return std::nullopt;
    }
    return tags;
}

bool ReadTiffDirectoryTags(ByteSource& source, TiffDirectory kind, ListedExifTags& tags) {
    Reader reader(source);
    std::uint32_t firstOffset = 0;
    std::vector<Entry> first;
    // Only the kind's own tags are set in the copy.
    ListedExifTags read = tags;
    if (!reader.ReadHeader(firstOffset) || !reader.ReadDirectory(firstOffset, first) ||
        !ReadDirectoryTags(reader, first, kind, read)) {
        return false;
    }
    tags = std::move(read);
    return true;
}

std::optional<ListedExifTags> ReadTiffListedTagsOf(std::string_view file) {
    BytesSource source(file);
    return ReadTiffListedTags(source);
}

std::optional<ListedExifTags> ReadTiffListedTagsOfFile(const std::string& path) {
    // Not blocking: a named pipe under a photo's name would wait for a writer forever.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    FileSource source(file.get());
    if (!source.ReadHead()) {
        return std::nullopt;
    }
    return ReadTiffListedTags(source);
}

}  // namespace geotal
