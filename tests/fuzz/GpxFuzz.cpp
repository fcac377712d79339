// Any bytes as a GPX file, line ends cleaned as the file reader does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzChecks.h"
#include "track/GpxReader.h"
#include "track/TrackFileBytes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace geotal;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string bytes(input);
    DropCarriageReturnsBeforeLineFeeds(bytes);
    // As a text-mode read: each CR LF pair becomes LF ("\r\r\n" gives "\r\n"), nothing else.
    size_t pairs = 0;
    for (size_t at = input.find("\r\n"); at != std::string_view::npos;
         at = input.find("\r\n", at + 2)) {
        ++pairs;
    }
    fuzz::Require(bytes.size() == size - pairs, "only the CR of each CR LF pair is dropped");
    TrackStore store;
    const SkippedPoints skipped = ReadGpxText(bytes, store);
    fuzz::Require(skipped.withoutPosition >= 0 && skipped.withoutTime >= 0 && skipped.offGlobe >= 0,
                  "skip counts are counts");
    fuzz::RequireRealFixes(store);
    return 0;
}
