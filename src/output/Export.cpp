#include "output/Export.h"

#include <cerrno>
#include <cstring>

#include "files/ReplaceFile.h"

namespace geotal {

ExportOutcome ExportPositions(const std::string& path, ExportFormat format, int separatorIndex,
                              const PhotoList& photos) {
    ExportOutcome outcome;
    if (ExportedCount(photos) == 0) {
        outcome.nothingToExport = true;
        outcome.error = "No photo to export has a position, so nothing was exported and " + path +
                        " was left as it was.";
        return outcome;
    }
    std::string text;
    switch (format) {
        case ExportFormat::Csv:
            text = CsvText(photos, separatorIndex);
            break;
        case ExportFormat::Kml:
            text = KmlText(photos);
            break;
        default:
            // A stored format number that stands for none: leave the file as it was.
            outcome.error = "Cannot export to " + path + ": " + std::strerror(EINVAL);
            return outcome;
    }
    outcome.written = ReplaceFileContents(path, text, outcome.error);
    if (outcome.written) {
        outcome.count = ExportedCount(photos);
    }
    return outcome;
}

}  // namespace geotal
