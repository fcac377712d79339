#include "track/JsonElements.h"

#include <cstring>
#include <ctime>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "support/DateTime.h"
#include "track/TrackTime.h"

namespace geotal {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The first byte from p on (before end) that is one of the characters of set, or end. Sixteen
// bytes at a time where the processor offers it: a gigabyte of location history is mostly
// bytes that matter to nobody but simdjson.
template <std::size_t N>
const char* FindAny(const char* p, const char* end, const char (&set)[N]) {
#ifdef __SSE2__
    __m128i wanted[N - 1];
    for (std::size_t i = 0; i + 1 < N; ++i) {
        wanted[i] = _mm_set1_epi8(set[i]);
    }
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hits = _mm_cmpeq_epi8(block, wanted[0]);
        for (std::size_t i = 1; i + 1 < N; ++i) {
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, wanted[i]));
        }
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) {
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
#endif
    for (; p < end; ++p) {
        for (std::size_t i = 0; i + 1 < N; ++i) {
            if (*p == set[i]) {
                return p;
            }
        }
    }
    return end;
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
    void Seek(std::size_t pos) { pos_ = pos; }

    // The position just after the object or array that opens at from, or npos. Every quote,
    // backslash and bracket of a block of sixteen bytes is found at once, and the string and
    // nesting state carried from one to the next.
    std::size_t ContainerEnd(std::size_t from) const {
        const char* const begin = text_.data();
        const std::size_t size = text_.size();
        int depth = 0;
        bool inString = false;
        bool escaped = false;  // the byte at the next position is escaped
        auto step = [&](std::size_t at) -> bool {
            if (escaped) {
                escaped = false;
                return false;
            }
            const char c = begin[at];
            if (inString) {
                if (c == '\\') {
                    escaped = true;
                } else if (c == '"') {
                    inString = false;
                }
                return false;
            }
            if (c == '"') {
                inString = true;
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if (c == '}' || c == ']') {
                return --depth == 0;
            }
            return false;
        };
        std::size_t at = from;
#ifdef __SSE2__
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i backslash = _mm_set1_epi8('\\');
        const __m128i openBrace = _mm_set1_epi8('{');
        const __m128i closeBrace = _mm_set1_epi8('}');
        const __m128i openBracket = _mm_set1_epi8('[');
        const __m128i closeBracket = _mm_set1_epi8(']');
        for (; size - at >= 16; at += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + at));
            const __m128i hits = _mm_or_si128(
                _mm_or_si128(
                    _mm_or_si128(_mm_cmpeq_epi8(block, quote), _mm_cmpeq_epi8(block, backslash)),
                    _mm_or_si128(_mm_cmpeq_epi8(block, openBrace),
                                 _mm_cmpeq_epi8(block, closeBrace))),
                _mm_or_si128(_mm_cmpeq_epi8(block, openBracket),
                             _mm_cmpeq_epi8(block, closeBracket)));
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
            if (escaped) {
                // The first byte of this block is escaped by a backslash that ended the last.
                escaped = false;
                mask &= ~1u;
            }
            while (mask != 0) {
                const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
                mask &= mask - 1;
                if (step(at + bit)) {
                    return at + bit + 1;
                }
                if (escaped && bit + 1 < 16) {
                    escaped = false;
                    mask &= ~(1u << (bit + 1));
                }
            }
        }
#endif
        for (; at < size; ++at) {
            if (step(at)) {
                return at + 1;
            }
        }
        return std::string_view::npos;
    }

    // The position just after the string whose opening quote is at from, or npos.
    std::size_t StringEnd(std::size_t from) const {
        const char* const begin = text_.data();
        const char* const end = begin + text_.size();
        const char* p = begin + from + 1;
        while (true) {
            p = FindAny(p, end, "\"\\");
            if (p == end) {
                return std::string_view::npos;
            }
            if (*p == '"') {
                return static_cast<std::size_t>(p + 1 - begin);
            }
            p += 2;  // the escaped character, whatever it is
            if (p >= end) {
                return std::string_view::npos;
            }
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
        const char first = Peek();
        if (first == '"') {
            const std::size_t end = StringEnd(pos_);
            pos_ = end == std::string_view::npos ? text_.size() : end;
            return end != std::string_view::npos;
        }
        if (first != '{' && first != '[') {
            // A number, true, false or null: up to the next separator.
            while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '}' &&
                   text_[pos_] != ']' && !IsSpace(text_[pos_])) {
                ++pos_;
            }
            return true;
        }
        const std::size_t end = ContainerEnd(pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end;
        return end != std::string_view::npos;
    }

    std::string_view Slice(std::size_t from) const {
        return text_.substr(from, pos_ - from);
    }

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
            in.Seek(start);  // the damage is in this element
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
