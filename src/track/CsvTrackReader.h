// Reading one CSV track file into the track store.
#pragma once

#include <string>
#include <string_view>

#include "track/CsvFields.h"
#include "track/TrackFileReader.h"
#include "track/TrackPointGate.h"
#include "track/TrackStore.h"

namespace geotal {

// Turns CSV lines into track points. Fields (from 0): 1 date, 2 time of day, 3 latitude and
// 4 longitude in decimal degrees; the rest is ignored. A line whose latitude is 0.0001 degrees
// or less in size is not data: that is how header and comment lines drop out, uncounted. A
// line whose date and time cannot be read, or whose position is off the globe, is skipped and
// counted in skipped(): so a file in another layout adds nothing. CSV files carry no
// elevation: every point gets 0.
class CsvTrackParser {
public:
    explicit CsvTrackParser(TrackStore& store) : gate_(store) {}

    void Feed(std::string_view line);

    const SkippedPoints& skipped() const { return gate_.skipped(); }

private:
    TrackPointGate gate_;
    CsvFields fields_;      // refilled for every line, so no line sees another's fields
    std::string dateTime_;  // reused for every line
};

// Appends the points of a CSV text (LF line ends, or UTF-16) to the store. When the fixed layout
// gives no point at all and the first line that is not a "#" comment names the columns, the text is
// read by those names instead (see HeaderCsvReader); a file the fixed layout reads keeps
// exactly its result.
TrackReadResult ReadCsvTrack(std::string_view bytes, TrackStore& store);

// ReadCsvTrack's points left out.
SkippedPoints ReadCsvTrackText(std::string_view bytes, TrackStore& store);

}  // namespace geotal
