// A JSON value read from its own text only as far as it is asked, for an element too large to
// be parsed into a tree: asking for a member or walking an array scans the text, and nothing
// is kept but the answer. The readers ask it what they ask simdjson's elements, through the
// same free functions (see JsonElements.h).
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "track/JsonScanner.h"

namespace geotal {

// The strings of one element that had escapes, unescaped. Each is kept until the iteration of
// the array item it was read under moves on (a reader uses a string while it reads its item),
// or else until the element is done: so a huge array of escaped strings holds one at a time.
using JsonStrings = std::deque<std::string>;

class JsonTextItems;

// One value whose text the scanner found to end. Its grammar inside is not checked: what
// cannot be read is absent. A default JsonText is no value and has nothing.
class JsonText {
public:
    JsonText() = default;
    JsonText(std::string_view text, JsonStrings* strings) : text_(text), strings_(strings) {}

    bool IsArray() const { return !text_.empty() && text_.front() == '['; }

    // The first member named key of an object.
    bool Member(std::string_view key, JsonText& value) const;
    // The value of a number.
    bool Number(double& value) const;
    // The value of a string, unescaped.
    bool String(std::string_view& value) const;
    // The items of an array, one at a time; none for anything else.
    JsonTextItems Items() const;

private:
    std::string_view text_;
    JsonStrings* strings_ = nullptr;
};

class JsonTextItems {
public:
    class Iterator {
    public:
        Iterator() = default;  // the end
        Iterator(std::string_view array, JsonStrings* strings);

        JsonText operator*() const { return current_; }
        Iterator& operator++();
        // Every iterator at the end is the same; others are the same at the same item.
        bool operator==(const Iterator& other) const {
            return ended_ == other.ended_ && (ended_ || in_.Position() == other.in_.Position());
        }

    private:
        void ReadItem();

        JsonScanner in_{{}};
        JsonStrings* strings_ = nullptr;
        std::size_t kept_ = 0;  // the strings read before this iteration began
        JsonText current_;
        bool ended_ = true;
    };

    JsonTextItems(std::string_view array, JsonStrings* strings)
        : array_(array), strings_(strings) {}
    Iterator begin() const { return array_.empty() ? end() : Iterator(array_, strings_); }
    Iterator end() const { return {}; }

private:
    std::string_view array_;  // empty for a value that is no array
    JsonStrings* strings_;
};

}  // namespace geotal
