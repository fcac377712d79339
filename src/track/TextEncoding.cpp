#include "track/TextEncoding.h"

#include <algorithm>
#include <cstdint>

namespace geotal {
namespace {

enum class ByteOrder { Little, Big };

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// Zero bytes on one side of most of the first code units: ASCII text in UTF-16.
bool LooksLikeUtf16(std::string_view bytes, ByteOrder& order) {
    const std::size_t units = std::min<std::size_t>(bytes.size() / 2, 64);
    if (units < 4) {
        return false;
    }
    std::size_t evenZeros = 0;
    std::size_t oddZeros = 0;
    for (std::size_t i = 0; i < units; ++i) {
        evenZeros += bytes[2 * i] == '\0' ? 1 : 0;
        oddZeros += bytes[2 * i + 1] == '\0' ? 1 : 0;
    }
    if (oddZeros * 4 >= units * 3 && evenZeros == 0) {
        order = ByteOrder::Little;
        return true;
    }
    if (evenZeros * 4 >= units * 3 && oddZeros == 0) {
        order = ByteOrder::Big;
        return true;
    }
    return false;
}

bool Detect(std::string_view bytes, ByteOrder& order, std::size_t& skip) {
    skip = 2;
    if (StartsWith(bytes, "\xFF\xFE")) {
        order = ByteOrder::Little;
        return true;
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        order = ByteOrder::Big;
        return true;
    }
    skip = 0;
    return LooksLikeUtf16(bytes, order);
}

void AppendUtf8(std::uint32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

bool IsUtf16(std::string_view bytes) {
    ByteOrder order;
    std::size_t skip;
    return Detect(bytes, order, skip);
}

std::string NarrowUtf16(std::string_view bytes) {
    ByteOrder order;
    std::size_t skip;
    if (!Detect(bytes, order, skip)) {
        if (StartsWith(bytes, "\xEF\xBB\xBF")) {
            bytes.remove_prefix(3);
        }
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unitAt = [&](std::size_t i) -> std::uint32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return order == ByteOrder::Little ? (b << 8 | a) : (a << 8 | b);
    };
    for (std::size_t i = skip; i + 1 < bytes.size(); i += 2) {
        std::uint32_t c = unitAt(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const std::uint32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c == '\r' && i + 3 < bytes.size() && unitAt(i + 2) == '\n') {
            continue;  // as in other text files, CR LF reads as LF
        }
        AppendUtf8(c, out);
    }
    return out;
}

std::string_view AsUtf8(std::string_view bytes, std::string& converted) {
    if (!IsUtf16(bytes)) {
        return bytes;
    }
    converted = NarrowUtf16(bytes);
    return converted;
}

}  // namespace geotal
