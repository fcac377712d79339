// Finding where JSON values begin and end in a text by their brackets and strings alone, fast
// enough to pass over a gigabyte that nobody needs parsed.
#pragma once

#include <cstddef>
#include <string_view>

namespace geotal {

class JsonScanner {
public:
    explicit JsonScanner(std::string_view text) : text_(text) {}

    void SkipSpace();
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void Advance() { ++pos_; }
    std::size_t Position() const { return pos_; }
    void Seek(std::size_t pos) { pos_ = pos; }

    // Reads the string at the position, as it is written (escapes left in); false when there
    // is none or it does not end.
    bool String(std::string_view& value);
    // Moves past the value at the position; false when it does not end. A number, true, false
    // or null ends at the next separator.
    bool SkipValue();
    // The text from from up to the position.
    std::string_view Slice(std::size_t from) const { return text_.substr(from, pos_ - from); }

private:
    std::size_t ContainerEnd(std::size_t from) const;
    std::size_t StringEnd(std::size_t from) const;

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace geotal
