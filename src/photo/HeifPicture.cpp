#include "photo/HeifPicture.h"

#include <string>

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "support/AsciiText.h"

namespace geotal {
namespace {

// libheif counts its users: its decoders are set up by the first and let go by the last.
class HeifUse {
public:
    HeifUse() { heif_init(nullptr); }
    ~HeifUse() { heif_deinit(); }
    HeifUse(const HeifUse&) = delete;
    HeifUse& operator=(const HeifUse&) = delete;
};

struct ContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<heif_image, ImageRelease>;

bool Failed(const heif_error& error, std::string& why) {
    if (error.code == heif_error_Ok) {
        return false;
    }
    why = error.message != nullptr && *error.message != '\0' ? error.message : "libheif failed";
    return true;
}

// The smallest thumbnail whose longer side reaches minSide; none when none does.
Handle ThumbnailOf(heif_image_handle& primary, int minSide) {
    const int count = heif_image_handle_get_number_of_thumbnails(&primary);
    if (count <= 0) {
        return nullptr;
    }
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(&primary, ids.data(), count);
    Handle best;
    long long bestPixels = 0;
    for (heif_item_id id : ids) {
        heif_image_handle* raw = nullptr;
        if (heif_image_handle_get_thumbnail(&primary, id, &raw).code != heif_error_Ok) {
            continue;
        }
        Handle thumbnail(raw);
        const int width = heif_image_handle_get_width(raw);
        const int height = heif_image_handle_get_height(raw);
        const long long pixels = static_cast<long long>(width) * height;
        if (std::max(width, height) >= minSide && (!best || pixels < bestPixels)) {
            best = std::move(thumbnail);
            bestPixels = pixels;
        }
    }
    return best;
}

// Larger than any camera's HEIF image: a few bytes of a file can claim any size, and decoding
// what they claim would take memory the file never held.
constexpr long long kMostPixels = 200'000'000;

bool Decode(heif_image_handle& handle, RgbPicture& picture, std::string& why) {
    const long long claimed = static_cast<long long>(heif_image_handle_get_width(&handle)) *
                              heif_image_handle_get_height(&handle);
    if (claimed > kMostPixels) {
        why = "its image of " + std::to_string(heif_image_handle_get_width(&handle)) + " by " +
              std::to_string(heif_image_handle_get_height(&handle)) +
              " pixels is too large to make a thumbnail from";
        return false;
    }
    heif_image* raw = nullptr;
    if (Failed(heif_decode_image(&handle, &raw, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                                 nullptr),
               why)) {
        return false;
    }
    const Image image(raw);
    int stride = 0;
    const std::uint8_t* rows =
        heif_image_get_plane_readonly(raw, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(raw, heif_channel_interleaved);
    const int height = heif_image_get_height(raw, heif_channel_interleaved);
    if (rows == nullptr || width <= 0 || height <= 0 || stride < width * 3) {
        why = "libheif gave no pixels";
        return false;
    }
    picture.width = width;
    picture.height = height;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    picture.rgb.resize(rowBytes * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        std::memcpy(picture.rgb.data() + rowBytes * static_cast<std::size_t>(y),
                    rows + static_cast<std::ptrdiff_t>(stride) * y, rowBytes);
    }
    return true;
}

}  // namespace

bool IsHeifFileName(const std::string& fileName) {
    for (const char* extension : {".heic", ".heif", ".hif", ".avif"}) {
        if (EndsWithNoCase(fileName, extension)) {
            return true;
        }
    }
    return false;
}

bool DecodeHeifPicture(const std::string& path, int minSide, RgbPicture& picture,
                       std::string& why) {
    picture = {};
    const HeifUse use;
    const Context context(heif_context_alloc());
    if (!context) {
        why = "libheif could not start";
        return false;
    }
    if (Failed(heif_context_read_from_file(context.get(), path.c_str(), nullptr), why)) {
        return false;
    }
    heif_image_handle* raw = nullptr;
    if (Failed(heif_context_get_primary_image_handle(context.get(), &raw), why)) {
        return false;
    }
    const Handle primary(raw);
    if (const Handle thumbnail = ThumbnailOf(*primary, minSide)) {
        std::string thumbnailWhy;
        if (Decode(*thumbnail, picture, thumbnailWhy)) {
            return true;
        }
    }
    return Decode(*primary, picture, why);
}

}  // namespace geotal
