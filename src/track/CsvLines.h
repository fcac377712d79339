// Cutting a CSV track file into trimmed lines.
#pragma once

#include <string_view>

namespace geotal {

// Hands out the lines of a text one at a time, trimmed of white space, as views into the text
// (which must outlive the splitter and the lines). Lines shorter than 2 characters after
// trimming are skipped; so is a first line of 2 bytes or fewer. The last line is read whether
// or not it ends in a line feed.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view bytes) : bytes_(bytes) {}

    // The next line, or false at the end.
    bool Next(std::string_view& line);

private:
    std::string_view bytes_;
    size_t start_ = 0;  // where the current run began: 0, then at each line feed
    size_t searchFrom_ = 0;
    bool done_ = false;
};

}  // namespace geotal
