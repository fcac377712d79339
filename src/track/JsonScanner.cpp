#include "track/JsonScanner.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

}  // namespace

void JsonScanner::SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) {
        ++pos_;
    }
}

// The position just after the object or array that opens at from, or npos. Every quote,
// backslash and bracket of a block of sixteen bytes is found at once, and the string and
// nesting state carried from one to the next.
std::size_t JsonScanner::ContainerEnd(std::size_t from) const {
    const char* const begin = text_.data();
    const std::size_t size = text_.size();
    std::size_t depth = 0;  // a file of nothing but brackets may nest past an int
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
                _mm_or_si128(_mm_cmpeq_epi8(block, openBrace), _mm_cmpeq_epi8(block, closeBrace))),
            _mm_or_si128(_mm_cmpeq_epi8(block, openBracket), _mm_cmpeq_epi8(block, closeBracket)));
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
std::size_t JsonScanner::StringEnd(std::size_t from) const {
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

bool JsonScanner::String(std::string_view& value) {
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

bool JsonScanner::SkipValue() {
    const char first = Peek();
    if (first == '"') {
        const std::size_t end = StringEnd(pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end;
        return end != std::string_view::npos;
    }
    if (first != '{' && first != '[') {
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

}  // namespace geotal
