#include "track/GpxReader.h"

#include "track/GpxTokenParser.h"
#include "track/MarkupTokenizer.h"
#include "track/TextEncoding.h"

namespace geotal {

SkippedPoints ReadGpxText(std::string_view bytes, TrackStore& store) {
    std::string converted;
    // Tokens go straight to the parser: a file of a million points is not held twice over.
    MarkupTokenizer tokenizer(AsUtf8(bytes, converted));
    GpxTokenParser parser(store);
    std::string_view token;
    while (tokenizer.Next(token)) {
        parser.Feed(token);
    }
    return parser.skipped();
}

}  // namespace geotal
