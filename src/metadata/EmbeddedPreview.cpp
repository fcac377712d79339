#include "metadata/EmbeddedPreview.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include <fcntl.h>

#include "metadata/Cr3Previews.h"
#include "metadata/Exiv2Metadata.h"
#include "support/AsciiText.h"
#include "support/FileDescriptor.h"

namespace geotal {
namespace {

long long Pixels(const PreviewSize& size) {
    return static_cast<long long>(std::max(0, size.width)) * std::max(0, size.height);
}

bool Smaller(const PreviewSize& a, const PreviewSize& b) {
    return std::make_tuple(Pixels(a), a.bytes) < std::make_tuple(Pixels(b), b.bytes);
}

}  // namespace

std::vector<std::size_t> PreviewOrder(const std::vector<PreviewSize>& previews, int minSide) {
    std::vector<std::size_t> bigEnough;
    std::vector<std::size_t> smaller;
    for (std::size_t i = 0; i < previews.size(); ++i) {
        const int side = std::max(previews[i].width, previews[i].height);
        if (side >= minSide) {
            bigEnough.push_back(i);
        } else if (side * 2 >= minSide) {
            smaller.push_back(i);
        }
    }
    const auto smallerOf = [&previews](std::size_t a, std::size_t b) {
        return Smaller(previews[a], previews[b]);
    };
    std::stable_sort(bigEnough.begin(), bigEnough.end(), smallerOf);
    std::stable_sort(smaller.begin(), smaller.end(),
                     [&smallerOf](std::size_t a, std::size_t b) { return smallerOf(b, a); });
    bigEnough.insert(bigEnough.end(), smaller.begin(), smaller.end());
    return bigEnough;
}

bool ReadEmbeddedPreview(const std::string& path, int minSide, std::size_t skip,
                         EmbeddedPreview& preview, std::string& why) {
    if (ReadPreviewImage(
            path,
            [minSide, skip](const std::vector<PreviewSize>& sizes) -> std::optional<std::size_t> {
                const std::vector<std::size_t> order = PreviewOrder(sizes, minSide);
                if (skip < order.size()) {
                    return order[skip];
                }
                return std::nullopt;
            },
            preview, why)) {
        return true;
    }
    return EndsWithNoCase(path, ".cr3") && ReadCr3Preview(path, minSide, skip, preview);
}

bool ReadCr3Preview(const std::string& path, int minSide, std::size_t skip,
                    EmbeddedPreview& preview) {
    preview = {};
    // Not blocking: a named pipe under a photo's name would wait for a writer forever.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    FileSource source(file.get());
    if (file.get() < 0 || !source.ReadHead()) {
        return false;
    }
    const std::vector<Cr3Preview> previews = ReadCr3Previews(source);
    std::vector<PreviewSize> sizes;
    for (const Cr3Preview& found : previews) {
        sizes.push_back(found.size);
    }
    const std::vector<std::size_t> order = PreviewOrder(sizes, minSide);
    if (skip >= order.size()) {
        return false;
    }
    const Cr3Preview& chosen = previews[order[skip]];
    if (!source.Read(chosen.jpeg.offset, static_cast<std::size_t>(chosen.jpeg.length),
                     preview.bytes)) {
        return false;
    }
    preview.mimeType = "image/jpeg";
    preview.width = chosen.size.width;
    preview.height = chosen.size.height;
    preview.orientation = ReadCr3Orientation(source);
    return true;
}

}  // namespace geotal
