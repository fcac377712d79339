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

void AddThumbnail(ByteSource& file, const std::vector<BmffBox>& top,
                  std::vector<Cr3Preview>& previews) {
    const std::optional<BmffBox> movie = OnlyBmffBox(top, "moov");
    if (!movie) {
        return;
    }
    const std::optional<BmffBox> canon = OnlyBmffBox(
        ReadBmffBoxes(file, movie->content, movie->end, kMostBoxes), "uuid", kCanonUuid);
    if (!canon) {
        return;
    }
    const std::optional<BmffBox> thumbnail =
        OnlyBmffBox(ReadBmffBoxes(file, canon->content, canon->end, kMostBoxes), "THMB");
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

}  // namespace

std::vector<Cr3Preview> ReadCr3Previews(ByteSource& file) {
    const std::vector<BmffBox> top = ReadBmffBoxes(file, 0, file.Size(), kMostBoxes);
    std::vector<Cr3Preview> previews;
    AddThumbnail(file, top, previews);
    AddPreview(file, top, previews);
    return previews;
}

}  // namespace geotal
