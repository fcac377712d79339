#include "track/MarkupTokenizer.h"

#include "track/TrimmedText.h"

namespace geotal {

bool MarkupTokenizer::Next(std::string_view& token) {
    const char* const data = bytes_.data();
    const size_t size = bytes_.size();
    while (pos_ < size) {
        const char c = data[pos_];
        if (c == '<') {
            // Every run that is not blank is kept, however short: an elevation of "5" is data.
            const std::string_view text = TrimmedText(bytes_.substr(start_, pos_ - start_));
            start_ = pos_;
            ++pos_;
            if (!text.empty()) {
                token = text;
                return true;
            }
        } else if (c == '>') {
            token = bytes_.substr(start_, pos_ + 1 - start_);
            start_ = ++pos_;
            return true;
        } else {
            ++pos_;
        }
    }
    return false;
}

}  // namespace geotal
