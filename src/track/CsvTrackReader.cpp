#include "track/CsvTrackReader.h"

#include <cmath>
#include <optional>
#include <utility>

#include "support/Angles.h"
#include "support/DateTimeText.h"
#include "track/CsvLines.h"
#include "track/HeaderCsvReader.h"
#include "track/TextEncoding.h"
#include "track/TextToFloat.h"

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
    gate_.Offer({DegreesToArcSeconds(latitude), DegreesToArcSeconds(longitude), std::nullopt,
                 ParseDateTimeText(dateTime_)});
}

TrackReadResult ReadCsvTrack(std::string_view bytes, TrackStore& store) {
    std::string converted;
    bytes = AsUtf8(bytes, converted);
    LineSplitter splitter(bytes);
    CsvTrackParser parser(store);
    std::string_view line;
    const int before = store.Count();
    while (splitter.Next(line)) {
        parser.Feed(line);
    }
    if (store.Count() > before) {
        return {parser.skipped(), {}};
    }
    if (std::optional<TrackReadResult> byHeader = ReadCsvByHeader(bytes, store)) {
        return std::move(*byHeader);
    }
    return {parser.skipped(),
            "no positions: the lines are not No,Date,Time,Latitude,Longitude and no header row "
            "names the latitude, longitude and time columns"};
}

SkippedPoints ReadCsvTrackText(std::string_view bytes, TrackStore& store) {
    return ReadCsvTrack(bytes, store).skipped;
}

}  // namespace geotal
