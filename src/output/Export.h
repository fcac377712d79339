// The export of photo positions to a CSV file or a KML document, for the window and the CLI.
#pragma once

#include <string>
#include <vector>

#include "photo/PhotoList.h"

namespace geotal {

// The numbers are those stored in the settings.
enum class ExportFormat { Csv = 0, Kml = 1 };

// The CSV field separator; the numbers are those stored in the settings and the export list's
// order.
enum class CsvSeparator { Comma = 0, Semicolon = 1, Tab = 2 };

// Index of the CSV field separator as the settings store it: 0 comma, 1 semicolon, 2 tab.
char CsvSeparatorOf(int separatorIndex);  // out-of-range index: comma

// The whole text of each file, CR LF line ends, for the marked photos that have a position, in
// list order.
std::string CsvText(const PhotoList& photos, int separatorIndex);
std::string KmlText(const PhotoList& photos);

// How many photos the texts above write.
int ExportedCount(const PhotoList& photos);

struct ExportOutcome {
    bool written = false;
    // No checked photo had a position: the file was not touched, and error says so.
    bool nothingToExport = false;
    int count = 0;      // positions written
    std::string error;  // when !written: names the file and the system's reason
};

// Writes the file safely (never when no photo would be in it: a file of headers alone would
// replace an earlier export of that name): to a temporary file beside the target, flushed, then
// renamed over it, so a failed export never leaves a half-written file where a good one was (see
// ReplaceFileContents for links and for a writable file in a folder that takes no new file).
ExportOutcome ExportPositions(const std::string& path, ExportFormat format, int separatorIndex,
                              const PhotoList& photos);

}  // namespace geotal
