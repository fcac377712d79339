#include "track/CsvTrackReader.h"

#include <cmath>

#include "support/Angles.h"
#include "support/DateTimeText.h"
#include "track/CsvLines.h"
#include "track/TextToFloat.h"
#include "track/TrackFileBytes.h"

namespace geotal {

void CsvTrackParser::Feed(std::string_view line) {
    SplitFields(line, ",", fields_);
    const double latitude = TextToFloat(fields_[3]);
    const double longitude = TextToFloat(fields_[4]);
    // Written so that a latitude that is not a number is offered, and counted off the globe.
    if (std::fabs(latitude) <= 0.0001) {
        return;
    }
    dateTime_.assign(fields_[1]);
    dateTime_.push_back(' ');
    dateTime_.append(fields_[2]);
    gate_.Offer({DegreesToArcSeconds(latitude), DegreesToArcSeconds(longitude), 0.0,
                 ParseDateTimeText(dateTime_)});
}

SkippedPoints ReadCsvTrackText(std::string_view bytes, TrackStore& store) {
    LineSplitter splitter(bytes);
    CsvTrackParser parser(store);
    std::string_view line;
    while (splitter.Next(line)) {
        parser.Feed(line);
    }
    return parser.skipped();
}

bool ReadCsvTrackFile(const std::string& path, TrackStore& store) {
    std::string bytes;
    if (!ReadTrackFileBytes(path, bytes)) {
        return false;
    }
    TraceSkippedPoints(path, ReadCsvTrackText(bytes, store));
    return true;
}

}  // namespace geotal
