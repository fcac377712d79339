#include "track/TrackFileReader.h"

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
#include "track/TrackFileBytes.h"

namespace geotal {
namespace {

TrackReadResult ReadGpx(std::string_view bytes, TrackStore& store) {
    return {ReadGpxText(bytes, store), {}};
}

struct FormatReader {
    TrackTextReader read;
    bool binary;  // read byte for byte, without the line-end cleaning of text files
};

FormatReader ReaderOf(TrackFormat format) {
    switch (format) {
        case TrackFormat::Gpx:
            return {ReadGpx, false};
        case TrackFormat::Csv:
            return {ReadCsvTrack, false};
        case TrackFormat::Nmea:
            return {ReadNmeaText, true};  // UTF-16 logs must reach the reader untouched
        case TrackFormat::Kml:
            return {ReadKmlText, false};
        case TrackFormat::Kmz:
            return {ReadKmzBytes, true};
        case TrackFormat::Tcx:
            return {ReadTcxText, false};
        case TrackFormat::GeoJson:
            return {ReadGeoJsonText, true};
        case TrackFormat::GoogleHistory:
            // Read as it is: a history of a gigabyte is not copied to clean its line ends.
            return {ReadGoogleHistoryText, true};
        case TrackFormat::Igc:
            return {ReadIgcText, false};
        case TrackFormat::Fit:
            return {ReadFitBytes, true};
    }
    return {nullptr, false};
}

bool ReadBytes(const std::string& path, bool binary, std::string& bytes, std::string& error) {
    WholeFile file;
    if (!ReadWholeFile(path, file, error)) {
        Trace("  " + error);
        return false;
    }
    bytes = std::move(file.bytes);
    if (!binary) {
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
