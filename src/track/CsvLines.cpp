#include "track/CsvLines.h"

#include <cstring>

#include "track/TrimmedText.h"

namespace geotal {

bool LineSplitter::Next(std::string_view& line) {
    const char* const data = bytes_.data();
    while (!done_) {
        const void* found = std::memchr(data + searchFrom_, '\n', bytes_.size() - searchFrom_);
        // Without a further line feed the rest is the file's last line, read like the others
        // so that a file's final fix is not lost.
        done_ = found == nullptr;
        const size_t end =
            done_ ? bytes_.size() : static_cast<size_t>(static_cast<const char*>(found) - data);
        // Each run after the first starts with its line feed, which the trimming removes.
        const std::string_view run = bytes_.substr(start_, end - start_);
        start_ = end;
        searchFrom_ = end + 1;
        if (run.size() > 2) {
            const std::string_view text = TrimmedText(run);
            if (text.size() >= 2) {
                line = text;
                return true;
            }
        }
    }
    return false;
}

}  // namespace geotal
