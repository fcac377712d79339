// Cutting a GPX file into tag tokens and text tokens, without parsing it as XML.
#pragma once

#include <string_view>

namespace geotal {

// Hands out the tokens of a markup text one at a time, as views into that text (which must
// outlive the tokenizer and the tokens):
// - a tag token runs from "<" up to and including the next ">", exactly as written;
// - a text token is what lies between two tags, trimmed of white space, when anything is left.
// A ">" inside an attribute value, a comment or CDATA ends the tag there; text after the last
// "<" of the file is never handed out.
class MarkupTokenizer {
public:
    explicit MarkupTokenizer(std::string_view bytes) : bytes_(bytes) {}

    // The next token, or false at the end.
    bool Next(std::string_view& token);

private:
    std::string_view bytes_;
    size_t pos_ = 0;    // next byte to look at
    size_t start_ = 0;  // where the current run began
};

}  // namespace geotal
