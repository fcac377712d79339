#include "track/JsonElements.h"

#include <cstring>
#include <ctime>

#include "support/DateTime.h"
#include "track/TrackTime.h"

namespace geotal {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Scans JSON values by their brackets and strings only; each element's own text goes to
// simdjson.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) {
            ++pos_;
        }
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void Advance() { ++pos_; }
    std::size_t Position() const { return pos_; }

    // The position just after the string that starts at pos_ (a quote), or npos.
    std::size_t StringEnd(std::size_t from) const {
        std::size_t at = from + 1;
        while (true) {
            const void* found = std::memchr(text_.data() + at, '"', text_.size() - at);
            if (found == nullptr) {
                return std::string_view::npos;
            }
            const std::size_t quote =
                static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
            std::size_t backslashes = 0;
            while (quote - backslashes > from && text_[quote - backslashes - 1] == '\\') {
                ++backslashes;
            }
            if (backslashes % 2 == 0) {
                return quote + 1;
            }
            at = quote + 1;
        }
    }

    // Reads a string at pos_; false when there is none.
    bool String(std::string_view& value) {
        if (Peek() != '"') {
            return false;
        }
        const std::size_t end = StringEnd(pos_);
        if (end == std::string_view::npos) {
            return false;
        }
        value = text_.substr(pos_ + 1, end - pos_ - 2);
        pos_ = end;
        return true;
    }

    // Moves past the value at pos_; false when it does not end.
    bool SkipValue() {
        int depth = 0;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '"') {
                const std::size_t end = StringEnd(pos_);
                if (end == std::string_view::npos) {
                    return false;
                }
                pos_ = end;
                if (depth == 0) {
                    return true;
                }
                continue;
            }
            if (c == '{' || c == '[') {
                ++depth;
            } else if (c == '}' || c == ']') {
                if (depth == 0) {
                    return true;  // the end of the enclosing container
                }
                if (--depth == 0) {
                    ++pos_;
                    return true;
                }
            } else if (depth == 0 && (c == ',' || IsSpace(c))) {
                return true;
            }
            ++pos_;
        }
        return depth == 0;
    }

    std::string_view Slice(std::size_t from) const { return text_.substr(from, pos_ - from); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::string BrokenAt(const Scanner& in) {
    return "the JSON is broken near byte " + std::to_string(in.Position());
}

// The elements of the array at the scanner, each parsed and visited.
bool WalkArray(Scanner& in, std::string_view key, simdjson::dom::parser& parser,
               std::string& padded, JsonElementVisitor& visitor) {
    in.Advance();  // [
    in.SkipSpace();
    if (in.Peek() == ']') {
        in.Advance();
        return true;
    }
    while (true) {
        in.SkipSpace();
        const std::size_t start = in.Position();
        if (!in.SkipValue()) {
            return false;
        }
        const std::string_view element = in.Slice(start);
        // One buffer with simdjson's padding serves every element.
        padded.assign(element);
        padded.resize(element.size() + simdjson::SIMDJSON_PADDING);
        simdjson::dom::element parsed;
        if (parser.parse(padded.data(), element.size(), false).get(parsed) != simdjson::SUCCESS) {
            return false;
        }
        visitor.Visit(key, parsed);
        in.SkipSpace();
        if (in.Peek() == ',') {
            in.Advance();
        } else if (in.Peek() == ']') {
            in.Advance();
            return true;
        } else {
            return false;
        }
    }
}

}  // namespace

std::string WalkJsonElements(std::string_view text, JsonElementVisitor& visitor) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    simdjson::dom::parser parser;
    std::string padded;
    Scanner in(text);
    in.SkipSpace();
    if (in.Peek() == '[') {
        return WalkArray(in, "", parser, padded, visitor) ? "" : BrokenAt(in);
    }
    if (in.Peek() != '{') {
        return "not JSON";
    }
    in.Advance();
    while (true) {
        in.SkipSpace();
        if (in.Peek() == '}') {
            return "";
        }
        std::string_view key;
        if (!in.String(key)) {
            return BrokenAt(in);
        }
        in.SkipSpace();
        if (in.Peek() != ':') {
            return BrokenAt(in);
        }
        in.Advance();
        in.SkipSpace();
        if (in.Peek() == '[') {
            if (!WalkArray(in, key, parser, padded, visitor)) {
                return BrokenAt(in);
            }
        } else if (!in.SkipValue()) {
            return BrokenAt(in);
        }
        in.SkipSpace();
        if (in.Peek() == ',') {
            in.Advance();
        } else if (in.Peek() == '}') {
            return "";
        } else {
            return BrokenAt(in);
        }
    }
}

bool JsonMember(simdjson::dom::element element, std::string_view key,
                simdjson::dom::element& value) {
    return element.is_object() && element.get_object().at_key(key).get(value) == simdjson::SUCCESS;
}

bool JsonDouble(simdjson::dom::element element, std::string_view key, double& value) {
    simdjson::dom::element member;
    if (!JsonMember(element, key, member)) {
        return false;
    }
    if (member.is_number()) {
        return member.get_double().get(value) == simdjson::SUCCESS;
    }
    std::string_view text;
    if (member.get_string().get(text) == simdjson::SUCCESS && !text.empty()) {
        char* end = nullptr;
        const std::string copy(text);
        value = std::strtod(copy.c_str(), &end);
        return end != copy.c_str();
    }
    return false;
}

bool JsonString(simdjson::dom::element element, std::string_view key, std::string_view& value) {
    simdjson::dom::element member;
    return JsonMember(element, key, member) && member.get_string().get(value) == simdjson::SUCCESS;
}

double JsonTime(simdjson::dom::element value) {
    double number = 0;
    std::string_view text;
    if (value.get_string().get(text) == simdjson::SUCCESS) {
        const bool digits =
            !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
        if (!digits) {
            return ParseTrackTime(text);
        }
        number = std::strtod(std::string(text).c_str(), nullptr);
        if (text.size() >= 12) {
            number /= 1000;
        }
    } else if (value.is_number() && value.get_double().get(number) == simdjson::SUCCESS) {
        if (number >= 1e11) {
            number /= 1000;
        }
    } else {
        return 0;
    }
    if (!(number > 0 && number < 253402300800.0)) {  // before the year 10000
        return 0;
    }
    const std::time_t whole = static_cast<std::time_t>(number);
    std::tm utc{};
    if (gmtime_r(&whole, &utc) == nullptr) {
        return 0;
    }
    return ToOleDate({utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                      utc.tm_sec}) +
           (number - static_cast<double>(whole)) / 86400;
}

}  // namespace geotal
