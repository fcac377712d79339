// Any bytes as a CSV track file, and every line of it through the field splitter.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzChecks.h"
#include "track/CsvFields.h"
#include "track/CsvLines.h"
#include "track/CsvTrackReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace geotal;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TrackStore store;
    ReadCsvTrackText(bytes, store);
    fuzz::RequireRealFixes(store);

    LineSplitter lines(bytes);
    CsvFields fields;
    for (std::string_view line; lines.Next(line);) {
        const int count = SplitFields(line, ",;\t", fields);
        fuzz::Require(count >= 1 && count <= kCsvFieldCount, "a line has 1 to 50 fields");
        for (int i = count; i < kCsvFieldCount; ++i) {
            fuzz::Require(fields[static_cast<std::size_t>(i)].empty(),
                          "fields the line does not have are empty");
        }
    }
    return 0;
}
