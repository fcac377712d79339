#include "track/TrackFileReader.h"

#include <algorithm>
#include <limits>
#include <new>

#include "support/TraceLog.h"
#include "support/WholeFile.h"
#include "track/CsvTrackReader.h"
#include "track/FitReader.h"
#include "track/GeoJsonReader.h"
#include "track/GoogleHistoryReader.h"
#include "track/GpxReader.h"
#include "track/IgcReader.h"
#include "track/KmlReader.h"
#include "track/NmeaReader.h"
#include "track/TcxReader.h"
#include "track/TextEncoding.h"
#include "track/TrackFileBytes.h"

namespace geotal {
namespace {

TrackReadResult ReadGpx(std::string_view bytes, TrackStore& store) {
    return {ReadGpxText(bytes, store), {}};
}

struct FormatReader {
    TrackTextReader read;
    bool binary;  // read byte for byte, without the line-end cleaning of text files
    // About the fewest bytes one point takes in the format: room for the points a file of
    // that size can hold is made before it is read, so that the store seldom grows (and holds
    // its old and new copies at once) on the way. Room never used is never touched. 0 where
    // the file's size says nothing.
    std::size_t fewestBytesPerPoint;
};

FormatReader ReaderOf(TrackFormat format) {
    switch (format) {
        case TrackFormat::Gpx:
            return {ReadGpx, false, 60};
        case TrackFormat::Csv:
            return {ReadCsvTrack, false, 24};
        case TrackFormat::Nmea:
            return {ReadNmeaText, true, 32};  // UTF-16 logs must reach the reader untouched
        case TrackFormat::Kml:
            return {ReadKmlText, false, 48};
        case TrackFormat::Kmz:
            return {ReadKmzBytes, true, 0};
        case TrackFormat::Tcx:
            return {ReadTcxText, false, 100};
        case TrackFormat::GeoJson:
            return {ReadGeoJsonText, true, 40};
        case TrackFormat::GoogleHistory:
            // Read as it is: a history of a gigabyte is not copied to clean its line ends. A
            // Records.json entry takes some 150 to 250 bytes.
            return {ReadGoogleHistoryText, true, 128};
        case TrackFormat::Igc:
            return {ReadIgcText, false, 35};
        case TrackFormat::Fit:
            return {ReadFitBytes, true, 8};
    }
    return {nullptr, false, 0};
}

void MakeRoom(TrackStore& store, std::size_t bytes, std::size_t fewestBytesPerPoint) {
    if (fewestBytesPerPoint == 0) {
        return;
    }
    const std::size_t room = static_cast<std::size_t>(store.Count()) + bytes / fewestBytesPerPoint;
    store.Reserve(static_cast<int>(std::min<std::size_t>(room, std::numeric_limits<int>::max())));
}

bool ReadBytes(const std::string& path, bool binary, std::string& bytes, std::string& error) {
    WholeFile file;
    if (!ReadWholeFile(path, file, error)) {
        Trace("  " + error);
        return false;
    }
    bytes = std::move(file.bytes);
    // UTF-16 text goes to the reader as it is: a CR byte before an LF byte there is half of a
    // character, and the readers that narrow it read CR LF as LF on the way.
    if (!binary && !IsUtf16(bytes)) {
        DropCarriageReturnsBeforeLineFeeds(bytes);
    }
    return true;
}

// The system's reason at the end of a ReadWholeFile error ("Cannot read /x/a.gpx: Is a
// directory"), without the path the report's line starts with anyway.
std::string ReasonOf(const std::string& error) {
    const std::size_t colon = error.rfind(": ");
    return colon == std::string::npos ? error : error.substr(colon + 2);
}

}  // namespace

TrackFileReport ReadTrackFile(const std::string& path, TrackFormat format, TrackStore& store) {
    TrackFileReport report;
    report.path = path;
    report.format = format;
    const FormatReader reader = ReaderOf(format);
    std::string bytes;
    std::string error;
    if (reader.read == nullptr || !ReadBytes(path, reader.binary, bytes, error)) {
        report.note = ReasonOf(error);
    } else {
        report.readable = true;
        const int before = store.Count();
        MakeRoom(store, bytes.size(), reader.fewestBytesPerPoint);
        try {
            TrackReadResult result = reader.read(bytes, store);
            report.skipped = result.skipped;
            report.note = std::move(result.note);
        } catch (const std::bad_alloc&) {
            // The store keeps every point it took before memory ran out.
            report.note = "memory ran out while the file was read; the points before were read";
        }
        report.positions = store.Count() - before;
        TraceSkippedPoints(path, report.skipped);
    }
    Trace("  " + path + ": " + DescribeTrackFile(report));
    return report;
}

std::string DescribeTrackFile(const TrackFileReport& report) {
    std::string text = TrackFormatName(report.format);
    if (!report.readable) {
        return text + ", could not be read" + (report.note.empty() ? "" : " (" + report.note + ")");
    }
    text += ", " + std::to_string(report.positions) +
            (report.positions == 1 ? " position" : " positions");
    const int skipped = report.skipped.Total();
    if (skipped > 0) {
        text += ", " + std::to_string(skipped) + (skipped == 1 ? " point" : " points") + " skipped";
    }
    if (!report.note.empty()) {
        text += "; " + report.note;
    }
    return text;
}

}  // namespace geotal
