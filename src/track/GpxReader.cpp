#include "track/GpxReader.h"

#include "track/GpxTokenParser.h"
#include "track/MarkupTokenizer.h"
#include "track/TrackFileBytes.h"

namespace geotal {

SkippedPoints ReadGpxText(std::string_view bytes, TrackStore& store) {
    // Tokens go straight to the parser: a file of a million points is not held twice over.
    MarkupTokenizer tokenizer(bytes);
    GpxTokenParser parser(store);
    std::string_view token;
    while (tokenizer.Next(token)) {
        parser.Feed(token);
    }
    return parser.skipped();
}

bool ReadGpxFile(const std::string& path, TrackStore& store) {
    std::string bytes;
    if (!ReadTrackFileBytes(path, bytes)) {
        return false;
    }
    TraceSkippedPoints(path, ReadGpxText(bytes, store));
    return true;
}

}  // namespace geotal
