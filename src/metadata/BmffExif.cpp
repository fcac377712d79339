#include "metadata/BmffExif.h"

#include <fcntl.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "metadata/BmffBoxes.h"
#include "metadata/HeifItems.h"
#include "metadata/TiffBytes.h"
#include "metadata/TiffListedTags.h"
#include "support/FileDescriptor.h"

namespace geotal {
namespace {

// More boxes at one level than any photo has; a file of countless tiny boxes is not walked
// to its end.
constexpr std::size_t kMostBoxes = 1024;
// The brand list of a real file is a few dozen bytes.
constexpr std::uint64_t kLongestBrands = 1024;

// The box of a CR3's movie box that holds Canon's metadata, named by its user type.
const std::string kCanonUuid("\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48",
                             16);

// The brands under which the HEIF family's still images are written.
constexpr std::array<std::string_view, 9> kHeifBrands{"mif1", "mif2", "msf1", "heic", "heix",
                                                      "heim", "heis", "avif", "avis"};

enum class Kind { Other, Cr3, Heif };

// What the first box, which must be the file type box, says the file is.
Kind KindOf(ByteSource& file, const std::vector<BmffBox>& top) {
    if (top.empty() || top.front().type != "ftyp") {
        return Kind::Other;
    }
    const BmffBox& type = top.front();
    std::string brands;
    const auto length = std::min(type.end - type.content, kLongestBrands);
    if (length < 8 || !file.Read(type.content, static_cast<std::size_t>(length), brands)) {
        return Kind::Other;
    }
    if (brands.compare(0, 4, "crx ") == 0) {
        return Kind::Cr3;
    }
    // The major brand, the minor version, then the compatible brands.
    for (std::size_t at = 0; at + 4 <= brands.size(); at += at == 0 ? 8 : 4) {
        const std::string_view brand = std::string_view(brands).substr(at, 4);
        if (std::find(kHeifBrands.begin(), kHeifBrands.end(), brand) != kHeifBrands.end()) {
            return Kind::Heif;
        }
    }
    return Kind::Other;
}

// The metadata library reads an "Exif" box, wherever it walks, as a first directory of its own
// (JPEG XL keeps its EXIF data so). No camera writes one into a CR3 or HEIF file: a file that
// holds one is left unread here rather than read another way than the library reads it.
bool HoldsExifBox(const std::vector<BmffBox>& boxes) {
    return std::any_of(boxes.begin(), boxes.end(),
                       [](const BmffBox& box) { return box.type == "Exif"; });
}

// A CR3 keeps its first directory in the box CMT1, its EXIF directory in CMT2 and its GPS
// directory in CMT4, each the first directory of a TIFF block of its own (CMT3 holds the maker
// notes).
std::optional<ListedExifTags> ReadCr3(ByteSource& file, const std::vector<BmffBox>& top) {
    const std::optional<BmffBox> movie = OnlyBmffBox(top, "moov");
    if (!movie) {
        return std::nullopt;
    }
    const std::vector<BmffBox> children =
        ReadBmffBoxes(file, movie->content, movie->end, kMostBoxes);
    const std::optional<BmffBox> canon = OnlyBmffBox(children, "uuid", kCanonUuid);
    if (!canon || HoldsExifBox(children)) {
        return std::nullopt;
    }
    const std::vector<BmffBox> blocks = ReadBmffBoxes(file, canon->content, canon->end, kMostBoxes);
    if (HoldsExifBox(blocks)) {
        return std::nullopt;
    }
    ListedExifTags tags;
    bool found = false;
    for (const auto& [type, kind] :
         {std::pair{"CMT1", TiffDirectory::Image}, std::pair{"CMT2", TiffDirectory::Exif},
          std::pair{"CMT4", TiffDirectory::Gps}}) {
        const auto same = [type = type](const BmffBox& box) { return box.type == type; };
        // A block may be missing (a camera without GPS writes no CMT4), but not doubled.
        if (std::none_of(blocks.begin(), blocks.end(), same)) {
            continue;
        }
        const std::optional<BmffBox> block = OnlyBmffBox(blocks, type);
        if (!block) {
            return std::nullopt;
        }
        ExtentsSource tiff(file, {{block->content, block->end - block->content}});
        if (!ReadTiffDirectoryTags(tiff, kind, tags)) {
            return std::nullopt;
        }
        found = true;
    }
    return found ? std::optional(tags) : std::nullopt;
}

// The data of a HEIF file's Exif item starts with the offset from its end to the TIFF header,
// past a name such as "Exif\0\0".
std::optional<ListedExifTags> ReadHeif(ByteSource& file, const std::vector<BmffBox>& top) {
    const std::optional<BmffBox> meta = OnlyBmffBox(top, "meta");
    if (!meta || HoldsExifBox(ReadBmffBoxes(file, meta->content, meta->end, kMostBoxes))) {
        return std::nullopt;
    }
    const std::optional<std::vector<Extent>> extents = FindHeifItem(file, *meta, "Exif");
    if (!extents) {
        return std::nullopt;
    }
    ExtentsSource item(file, *extents);
    std::string start;
    if (!item.Read(0, 4, start)) {
        return std::nullopt;
    }
    const std::uint64_t offset = Get32(start, 0, ByteOrder::Big);
    if (offset > item.Size() - 4) {
        return std::nullopt;
    }
    ExtentsSource tiff(item, {{4 + offset, item.Size() - 4 - offset}});
    return ReadTiffListedTags(tiff);
}

}  // namespace

std::optional<ListedExifTags> ReadBmffListedTags(ByteSource& file) {
    const std::vector<BmffBox> top = ReadBmffBoxes(file, 0, file.Size(), kMostBoxes);
    if (HoldsExifBox(top)) {
        return std::nullopt;
    }
    switch (KindOf(file, top)) {
        case Kind::Cr3:
            return ReadCr3(file, top);
        case Kind::Heif:
            return ReadHeif(file, top);
        case Kind::Other:
            break;
    }
    return std::nullopt;
}

std::optional<ListedExifTags> ReadBmffListedTagsOf(std::string_view file) {
    BytesSource source(file);
    return ReadBmffListedTags(source);
}

std::optional<ListedExifTags> ReadBmffListedTagsOfFile(const std::string& path) {
    // Not blocking: a named pipe under a photo's name would wait for a writer forever.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    FileSource source(file.get());
    if (!source.ReadHead()) {
        return std::nullopt;
    }
    return ReadBmffListedTags(source);
}

}  // namespace geotal
