#include "metadata/HeifItems.h"

#include <cstdint>
#include <limits>

namespace geotal {
namespace {

// A table of items is a few kilobytes even for a photo stored in hundreds of tiles; a larger
// one is a damaged file, not read into memory.
constexpr std::uint64_t kLargestTable = 4 * 1024 * 1024;
// More item entries than a tiled photo of any camera has.
constexpr std::size_t kMostItems = 16384;

// Big-endian numbers read one after another from a box's content; once one is not there, every
// later read fails too.
class Cursor {
public:
    explicit Cursor(const std::string& bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}

    // A number of size bytes: 0, 1, 2, 4 or 8.
    bool Number(std::size_t size, std::uint64_t& value) {
        value = 0;
        if (size > 8 || at_ > bytes_.size() || size > bytes_.size() - at_) {
            at_ = bytes_.size() + 1;
            return false;
        }
        for (std::size_t i = 0; i < size; ++i) {
            value = value << 8 | static_cast<std::uint8_t>(bytes_[at_ + i]);
        }
        at_ += size;
        return true;
    }

    bool Skip(std::uint64_t size) {
        if (at_ > bytes_.size() || size > bytes_.size() - at_) {
            at_ = bytes_.size() + 1;
            return false;
        }
        at_ += static_cast<std::size_t>(size);
        return true;
    }

    std::size_t at() const { return at_; }

private:
    const std::string& bytes_;
    std::size_t at_;
};

// The content of the one child of meta of the type, read whole; false when there is none or
// it is larger than any real one.
bool ReadTable(ByteSource& file, const std::vector<BmffBox>& children, const char* type,
               std::string& content) {
    const std::optional<BmffBox> box = OnlyBmffBox(children, type);
    return box && box->end - box->content <= kLargestTable &&
           file.Read(box->content, static_cast<std::size_t>(box->end - box->content), content);
}

// The ID of the one item of the type in the item information table; none for two.
std::optional<std::uint32_t> ItemOfType(const std::string& table, const std::string& itemType) {
    Cursor header(table);
    std::uint64_t version = 0, flags = 0, count = 0;
    if (!header.Number(1, version) || !header.Number(3, flags) ||
        !header.Number(version == 0 ? 2 : 4, count)) {
        return std::nullopt;
    }
    BytesSource source(table);
    std::optional<std::uint32_t> found;
    for (const BmffBox& entry : ReadBmffBoxes(source, header.at(), table.size(), kMostItems)) {
        std::string content;
        if (entry.type != "infe" ||
            !source.Read(entry.content, entry.end - entry.content, content)) {
            continue;
        }
        // Entries before version 2 name no item type.
        Cursor fields(content);
        std::uint64_t entryVersion = 0, id = 0, protection = 0;
        if (!fields.Number(1, entryVersion) || entryVersion < 2 || !fields.Number(3, flags) ||
            !fields.Number(entryVersion == 2 ? 2 : 4, id) || !fields.Number(2, protection) ||
            content.size() - fields.at() < 4) {
            continue;
        }
        if (content.compare(fields.at(), 4, itemType) == 0) {
            if (found) {
                return std::nullopt;
            }
            found = static_cast<std::uint32_t>(id);
        }
    }
    return found;
}

bool ValidSize(std::uint64_t size) {
    return size == 0 || size == 4 || size == 8;
}

// The extents of the item in the item location table, which must list it once.
std::optional<std::vector<Extent>> ExtentsOf(const std::string& table, std::uint32_t item,
                                             std::uint64_t fileSize) {
    Cursor read(table);
    std::uint64_t version = 0, flags = 0, sizes = 0, moreSizes = 0, count = 0;
    if (!read.Number(1, version) || version > 2 || !read.Number(3, flags) ||
        !read.Number(1, sizes) || !read.Number(1, moreSizes) ||
        !read.Number(version < 2 ? 2 : 4, count)) {
        return std::nullopt;
    }
    const std::uint64_t offsetSize = sizes >> 4, lengthSize = sizes & 0xF;
    const std::uint64_t baseSize = moreSizes >> 4;
    const std::uint64_t indexSize = version == 0 ? 0 : moreSizes & 0xF;
    if (!ValidSize(offsetSize) || !ValidSize(lengthSize) || !ValidSize(baseSize) ||
        !ValidSize(indexSize)) {
        return std::nullopt;
    }
    std::optional<std::vector<Extent>> found;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t id = 0, method = 0, reference = 0, base = 0, extents = 0;
        if (!read.Number(version < 2 ? 2 : 4, id) || (version > 0 && !read.Number(2, method)) ||
            !read.Number(2, reference) || !read.Number(baseSize, base) ||
            !read.Number(2, extents)) {
            return std::nullopt;
        }
        const std::uint64_t extentSize = indexSize + offsetSize + lengthSize;
        if (id != item) {
            if (!read.Skip(extents * extentSize)) {
                return std::nullopt;
            }
            continue;
        }
        // Only data at offsets of this very file is read: the other ways (within the meta
        // box, within another item) are for small derived items, never seen holding EXIF data.
        if (found || (method & 0xF) != 0 || reference != 0 || extents == 0) {
            return std::nullopt;
        }
        found.emplace();
        for (std::uint64_t n = 0; n < extents; ++n) {
            std::uint64_t index = 0, offset = 0, length = 0;
            if (!read.Number(indexSize, index) || !read.Number(offsetSize, offset) ||
                !read.Number(lengthSize, length) ||
                offset > std::numeric_limits<std::uint64_t>::max() - base) {
                return std::nullopt;
            }
            offset += base;
            // A length of 0 stands for the rest of the file.
            if (length == 0 && offset <= fileSize) {
                length = fileSize - offset;
            }
            found->push_back({offset, length});
        }
    }
    return found;
}

}  // namespace

std::optional<std::vector<Extent>> FindHeifItem(ByteSource& file, const BmffBox& meta,
                                                const std::string& itemType) {
    // The meta box is a full box: a version and flags come before its boxes.
    const std::vector<BmffBox> children = ReadBmffBoxes(file, meta.content + 4, meta.end, 64);
    std::string information, locations;
    if (!ReadTable(file, children, "iinf", information) ||
        !ReadTable(file, children, "iloc", locations)) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> item = ItemOfType(information, itemType);
    if (!item) {
        return std::nullopt;
    }
    return ExtentsOf(locations, *item, file.Size());
}

}  // namespace geotal
