#include "output/XmlText.h"

#include <cstddef>
#include <cstdint>

namespace geotal {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed UTF-8 sequence at text[at] (RFC 3629: no overlong forms, no
// surrogates, nothing beyond U+10FFFF), with its code point; 0 when there is none.
std::size_t DecodeUtf8(const std::string& text, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || surrogate || code > 0x10FFFF ? 0 : length;
}

bool IsXmlCharacter(char32_t code) {
    return code == '\t' || code == '\n' || code == '\r' ||
           (code >= 0x20 && code != 0xFFFE && code != 0xFFFF);
}

}  // namespace

std::string XmlElementText(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8(bytes, at, code);
        if (length == 0) {
            text += kReplacement;  // one for each byte that starts no character
            ++at;
            continue;
        }
        switch (code) {
            case '&':
                text += "&amp;";
                break;
            case '<':
                text += "&lt;";
                break;
            case '>':  // so that "]]>" cannot appear
                text += "&gt;";
                break;
            case '\r':
                text += "&#13;";
                break;
            default:
                if (IsXmlCharacter(code)) {
                    text.append(bytes, at, length);
                } else {
                    text += kReplacement;
                }
        }
        at += length;
    }
    return text;
}

}  // namespace geotal
