#include "track/JsonText.h"

#include <charconv>
#include <cstdint>

namespace geotal {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The four hex digits of a \u escape at text[at].
bool Hex4(std::string_view text, std::size_t at, std::uint32_t& unit) {
    if (at + 4 > text.size()) {
        return false;
    }
    unit = 0;
    for (std::size_t i = at; i < at + 4; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0) {
            return false;
        }
        unit = unit << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
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

// The text of a string between its quotes with its escapes undone; false for an escape JSON
// does not have, or a lone half of a surrogate pair.
bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i == text.size()) {
            return false;
        }
        switch (text[i]) {
            case '"':
            case '\\':
            case '/':
                out.push_back(text[i]);
                break;
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'u': {
                std::uint32_t unit = 0;
                if (!Hex4(text, i + 1, unit)) {
                    return false;
                }
                i += 4;
                if (unit >= 0xD800 && unit < 0xDC00) {
                    std::uint32_t low = 0;
                    if (i + 2 >= text.size() || text[i + 1] != '\\' || text[i + 2] != 'u' ||
                        !Hex4(text, i + 3, low) || low < 0xDC00 || low >= 0xE000) {
                        return false;
                    }
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    i += 6;
                } else if (unit >= 0xDC00 && unit < 0xE000) {
                    return false;
                }
                AppendUtf8(unit, out);
                break;
            }
            default:
                return false;
        }
    }
    return true;
}

// Whether a key as written (escapes left in) names key.
bool KeyIs(std::string_view written, std::string_view key) {
    if (written.find('\\') == std::string_view::npos) {
        return written == key;
    }
    std::string unescaped;
    return Unescape(written, unescaped) && unescaped == key;
}

}  // namespace

bool JsonText::Member(std::string_view key, JsonText& value) const {
    JsonScanner in(text_);
    if (in.Peek() != '{') {
        return false;
    }
    in.Advance();
    while (true) {
        in.SkipSpace();
        std::string_view name;
        if (!in.String(name)) {
            return false;
        }
        in.SkipSpace();
        if (in.Peek() != ':') {
            return false;
        }
        in.Advance();
        in.SkipSpace();
        const std::size_t start = in.Position();
        if (!in.SkipValue()) {
            return false;
        }
        if (KeyIs(name, key)) {
            value = JsonText(in.Slice(start), strings_);
            return true;
        }
        in.SkipSpace();
        if (in.Peek() != ',') {
            return false;
        }
        in.Advance();
    }
}

bool JsonText::Number(double& value) const {
    // JSON's numbers start with a digit or a minus and a digit; from_chars would also take
    // "-inf" and "-nan".
    const std::size_t digit = !text_.empty() && text_.front() == '-' ? 1 : 0;
    if (text_.size() <= digit || text_[digit] < '0' || text_[digit] > '9') {
        return false;
    }
    const char* const end = text_.data() + text_.size();
    const auto [stop, error] = std::from_chars(text_.data(), end, value);
    return error == std::errc() && stop == end;
}

bool JsonText::String(std::string_view& value) const {
    if (text_.size() < 2 || text_.front() != '"' || text_.back() != '"') {
        return false;
    }
    const std::string_view inside = text_.substr(1, text_.size() - 2);
    if (inside.find('\\') == std::string_view::npos) {
        value = inside;
        return true;
    }
    if (strings_ == nullptr) {
        return false;
    }
    std::string& unescaped = strings_->emplace_back();
    if (!Unescape(inside, unescaped)) {
        strings_->pop_back();
        return false;
    }
    value = unescaped;
    return true;
}

JsonTextItems JsonText::Items() const {
    return {IsArray() ? text_ : std::string_view(), strings_};
}

JsonTextItems::Iterator::Iterator(std::string_view array, JsonStrings* strings)
    : in_(array), strings_(strings), kept_(strings ? strings->size() : 0), ended_(false) {
    in_.Advance();  // [
    in_.SkipSpace();
    if (in_.Peek() == ']') {
        ended_ = true;
        return;
    }
    ReadItem();
}

JsonTextItems::Iterator& JsonTextItems::Iterator::operator++() {
    while (strings_ != nullptr && strings_->size() > kept_) {
        strings_->pop_back();  // read under the item just done
    }
    in_.SkipSpace();
    if (in_.Peek() != ',') {
        ended_ = true;
        return *this;
    }
    in_.Advance();
    in_.SkipSpace();
    ReadItem();
    return *this;
}

void JsonTextItems::Iterator::ReadItem() {
    const std::size_t start = in_.Position();
    if (in_.AtEnd() || !in_.SkipValue()) {
        ended_ = true;
        return;
    }
    current_ = JsonText(in_.Slice(start), strings_);
}

}  // namespace geotal
