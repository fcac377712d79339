// Reading CSV logs by the column names of their header row, for the many loggers whose layout
// is not Geotal's own.
#pragma once

#include <optional>
#include <string_view>

#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal {

// Where a header row puts each value; -1 for a column it does not have.
struct CsvColumns {
    char separator = ',';
    int latitude = -1;
    int longitude = -1;
    int date = -1;
    int time = -1;      // a time of day, or a whole date-time when there is no date column
    int dateTime = -1;  // datetime, timestamp, UTC: a date-time or seconds since 1970
    int elevation = -1;
    int northSouth = -1;  // a column of N or S letters beside the latitude
    int eastWest = -1;    // a column of E or W letters beside the longitude
    int utcOffset = -1;   // a zone offset such as +02:00 for local dates and times
};

// The columns a header line names (names in any case, units in brackets ignored), when it
// names a latitude, a longitude and a time; nothing otherwise.
std::optional<CsvColumns> FindCsvColumns(std::string_view header);

// Reads a CSV text by its header row: the first line that is not a "#" comment. Nothing, and
// nothing added, when that line does not name the columns.
std::optional<TrackReadResult> ReadCsvByHeader(std::string_view bytes, TrackStore& store);

}  // namespace geotal
