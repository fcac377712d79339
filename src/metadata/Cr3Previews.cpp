#include "metadata/Cr3Previews.h"

#include <optional>
#include <string>

#include "metadata/BmffBoxes.h"
#include "metadata/TiffBytes.h"

namespace geotal {
namespace {

constexpr std::size_t kMostBoxes = 1024;

// Canon's metadata box in the movie box, and the box at the top that holds the preview.
const std::string kCanonUuid("\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48",
                             16);
const std::string kPreviewUuid("\xea\xf4\x2b\x5e\x1c\x98\x4b\x88\xb9\xfb\xb7\xdc\x40\x6e\x4d\x16",
                               16);

// Both boxes start with 16 bytes: THMB a version and flags, then the width, height and JPEG
// length; PRVW six bytes, then the width, height, two bytes and the JPEG length. The JPEG
// follows.
constexpr std::size_t kHeader = 16;

struct Layout {
    std::size_t width, height, length;
};
constexpr Layout kThumbnail{4, 6, 8};
constexpr Layout kPreview{6, 8, 12};

std::optional<Cr3Preview> PreviewIn(ByteSource& file, const BmffBox& box, const Layout& layout) {
    std::string header;
    if (box.end < box.content + kHeader || !file.Read(box.content, kHeader, header)) {
        return std::nullopt;
    }
    Cr3Preview preview;
    preview.size.width = Get16(header, layout.width, ByteOrder::Big);
    preview.size.height = Get16(header, layout.height, ByteOrder::Big);
    preview.size.bytes = Get32(header, layout.length, ByteOrder::Big);
    preview.jpeg = {box.content + kHeader, preview.size.bytes};
    std::string start;
    if (preview.size.bytes < 2 || preview.jpeg.offset + preview.jpeg.length > box.end ||
        !file.Read(preview.jpeg.offset, 2, start) || start != "\xff\xd8") {
        return std::nullopt;
    }
    return preview;
}

// The boxes inside Canon's box of the movie box; none when the file has no such box.
std::vector<BmffBox> CanonBoxes(ByteSource& file, const std::vector<BmffBox>& top) {
    const std::optional<BmffBox> movie = OnlyBmffBox(top, "moov");
    if (!movie) {
        return {};
    }
    const std::optional<BmffBox> canon = OnlyBmffBox(
        ReadBmffBoxes(file, movie->content, movie->end, kMostBoxes), "uuid", kCanonUuid);
    if (!canon) {
        return {};
    }
    return ReadBmffBoxes(file, canon->content, canon->end, kMostBoxes);
}

void AddThumbnail(ByteSource& file, const std::vector<BmffBox>& top,
                  std::vector<Cr3Preview>& previews) {
    const std::optional<BmffBox> thumbnail = OnlyBmffBox(CanonBoxes(file, top), "THMB");
    if (thumbnail) {
        if (const std::optional<Cr3Preview> found = PreviewIn(file, *thumbnail, kThumbnail)) {
            previews.push_back(*found);
        }
    }
}

void AddPreview(ByteSource& file, const std::vector<BmffBox>& top,
                std::vector<Cr3Preview>& previews) {
    const std::optional<BmffBox> holder = OnlyBmffBox(top, "uuid", kPreviewUuid);
    // Eight bytes before the PRVW box.
    if (!holder || holder->end < holder->content + 8) {
        return;
    }
    const std::optional<BmffBox> preview =
        OnlyBmffBox(ReadBmffBoxes(file, holder->content + 8, holder->end, kMostBoxes), "PRVW");
    if (preview) {
        if (const std::optional<Cr3Preview> found = PreviewIn(file, *preview, kPreview)) {
            previews.push_back(*found);
        }
    }
}

// The Orientation entry (tag 0x0112, one SHORT) of the first directory of the TIFF block.
std::optional<int> OrientationIn(const std::string& tiff) {
    constexpr std::uint16_t kOrientation = 0x0112;
    constexpr std::uint16_t kShort = 3;
    constexpr std::size_t kEntry = 12;
    if (tiff.size() < 8 || (tiff.compare(0, 2, "II") != 0 && tiff.compare(0, 2, "MM") != 0)) {
        return std::nullopt;
    }
    const ByteOrder order = tiff[0] == 'I' ? ByteOrder::Little : ByteOrder::Big;
    const std::uint32_t directory = Get32(tiff, 4, order);
    if (Get16(tiff, 2, order) != 42 || directory < 8 || tiff.size() - 2 < directory) {
        return std::nullopt;
    }
    const std::size_t count = Get16(tiff, directory, order);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = directory + 2 + i * kEntry;
        if (at + kEntry > tiff.size()) {
            break;
        }
        if (Get16(tiff, at, order) == kOrientation && Get16(tiff, at + 2, order) == kShort &&
            Get32(tiff, at + 4, order) == 1) {
            return Get16(tiff, at + 8, order);
        }
    }
    return std::nullopt;
}

}  // namespace

int ReadCr3Orientation(ByteSource& file) {
    // The first directory of a camera's CMT1 block is a few hundred bytes.
    constexpr std::uint64_t kLongestBlock = 64 * 1024;
    const std::vector<BmffBox> top = ReadBmffBoxes(file, 0, file.Size(), kMostBoxes);
    const std::optional<BmffBox> block = OnlyBmffBox(CanonBoxes(file, top), "CMT1");
    std::string tiff;
    if (!block || block->end - block->content > kLongestBlock ||
        !file.Read(block->content, static_cast<std::size_t>(block->end - block->content), tiff)) {
        return 1;
    }
    const std::optional<int> orientation = OrientationIn(tiff);
    return orientation && *orientation >= 1 && *orientation <= 8 ? *orientation : 1;
}

std::vector<Cr3Preview> ReadCr3Previews(ByteSource& file) {
    const std::vector<BmffBox> top = ReadBmffBoxes(file, 0, file.Size(), kMostBoxes);
    std::vector<Cr3Preview> previews;
    AddThumbnail(file, top, previews);
    AddPreview(file, top, previews);
    return previews;
}

}  // namespace geotal
