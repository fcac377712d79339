#include "track/CsvFields.h"

#include <algorithm>

namespace geotal {

int SplitFields(std::string_view line, std::string_view separators, CsvFields& fields) {
    for (std::string& field : fields) {
        field.clear();
    }
    // The line with one blank after it, without copying it.
    const size_t size = line.size() + 1;
    const auto at = [line](size_t i) { return i < line.size() ? line[i] : ' '; };
    const auto isSeparator = [separators](char c) {
        return separators.find(c) != std::string_view::npos;
    };

    int count = 0;
    size_t rest = 0;  // the unread part is [rest, size)
    while (rest < size) {
        const size_t length = size - rest;
        size_t s = 0;
        while (s < length && !isSeparator(at(rest + s))) {
            ++s;
        }
        size_t quote = 0;
        while (quote < s && at(rest + quote) != '"') {
            ++quote;
        }
        if (quote < s) {
            size_t closing = quote + 1;
            while (closing < length && at(rest + closing) != '"') {
                ++closing;
            }
            if (closing < length) {
                s = closing;
            }
        }
        size_t first = 0;
        while (first < s && at(rest + first) == '"') {
            ++first;
        }
        if (count < kCsvFieldCount) {
            std::string& field = fields[static_cast<size_t>(count)];
            const size_t begin = rest + first;
            const size_t end = rest + s;
            if (begin < line.size()) {
                field.assign(line.substr(begin, std::min(end, line.size()) - begin));
            }
            if (end > line.size()) {
                field.push_back(' ');
            }
            ++count;
        }
        if (s + 1 < length) {
            rest += s + 1;
            while (rest < size && at(rest) == ' ') {
                ++rest;
            }
        } else {
            rest = size;
        }
    }
    return count;
}

}  // namespace geotal
