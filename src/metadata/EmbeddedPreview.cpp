#include "metadata/EmbeddedPreview.h"

#include <algorithm>
#include <tuple>

#include "metadata/Exiv2Metadata.h"

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
    return ReadPreviewImage(
        path,
        [minSide, skip](const std::vector<PreviewSize>& sizes) -> std::optional<std::size_t> {
            const std::vector<std::size_t> order = PreviewOrder(sizes, minSide);
            if (skip < order.size()) {
                return order[skip];
            }
            return std::nullopt;
        },
        preview, why);
}

}  // namespace geotal
