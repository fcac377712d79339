// Any bytes as a track file of every format besides GPX and the fixed CSV layout: the first byte
// picks the reader, the rest is the file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzChecks.h"
#include "track/CsvTrackReader.h"
#include "track/FitReader.h"
#include "track/GeoJsonReader.h"
#include "track/GoogleHistoryReader.h"
#include "track/IgcReader.h"
#include "track/KmlReader.h"
#include "track/NmeaReader.h"
#include "track/TcxReader.h"
#include "track/TrackFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace geotal;
    if (size == 0) {
        return 0;
    }
    static constexpr std::array<TrackReadResult (*)(std::string_view, TrackStore&), 9> kReaders = {
        ReadNmeaText,    ReadKmlText,           ReadKmzBytes, ReadTcxText, ReadFitBytes,
        ReadGeoJsonText, ReadGoogleHistoryText, ReadIgcText,  ReadCsvTrack};
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    TrackStore store;
    const TrackReadResult result = kReaders[data[0] % kReaders.size()](bytes, store);
    fuzz::RequireRealFixes(store);
    fuzz::Require(result.skipped.Total() >= 0, "skipped points are counted up from 0");
    TrackFormatOfContent(bytes);
    return 0;
}
