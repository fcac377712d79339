#include "track/TrackFormat.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <utility>

#include "support/AsciiText.h"
#include "track/TextEncoding.h"

namespace geotal {
namespace {

constexpr std::array<std::pair<const char*, TrackFormat>, 7> kExtensions = {{
    {".fit", TrackFormat::Fit},
    {".igc", TrackFormat::Igc},
    {".geojson", TrackFormat::GeoJson},
    {".nmea", TrackFormat::Nmea},
    {".kml", TrackFormat::Kml},
    {".kmz", TrackFormat::Kmz},
    {".tcx", TrackFormat::Tcx},
}};

constexpr std::array<const char*, 4> kExtensionsReadByContent = {".json", ".xml", ".txt", ".log"};

// Enough to see past an XML declaration and a comment or two to the root element.
constexpr std::size_t kHeadBytes = 4096;

// The first bytes of a regular file; empty for anything else, which is never waited on.
std::string ReadFileHead(const std::string& path) {
    std::string head;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return head;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        head.resize(kHeadBytes);
        const ssize_t count = ::read(fd, head.data(), head.size());
        head.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    }
    ::close(fd);
    return head;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Whether some line starts with the text.
bool HasLineStarting(std::string_view text, std::string_view start) {
    for (std::size_t at = text.find(start); at != std::string_view::npos;
         at = text.find(start, at + 1)) {
        if (at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r') {
            return true;
        }
    }
    return false;
}

// A FIT file's header: its size (12 or 14) first, ".FIT" at byte 8.
bool IsFitHeader(std::string_view head) {
    return head.size() >= 12 && (head[0] == 12 || head[0] == 14) && head.substr(8, 4) == ".FIT";
}

// A zip archive whose first member is a KML document, as in every KMZ.
bool IsKmzHeader(std::string_view head) {
    constexpr std::size_t kNameAt = 30;  // in the first local file header
    if (head.size() < kNameAt || head.substr(0, 4) != "PK\x03\x04") {
        return false;
    }
    const std::size_t length = static_cast<unsigned char>(head[26]) |
                               static_cast<std::size_t>(static_cast<unsigned char>(head[27])) << 8;
    return EndsWithNoCase(head.substr(kNameAt, std::min(length, head.size() - kNameAt)), ".kml");
}

// The file name without its folders has no ending ("gpslog", not "gps.log" or ".log").
bool HasNoEnding(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0;
}

// Whether some line starts with an NMEA sentence such as "$GPRMC," or "$GNGGA,".
bool HasNmeaSentence(std::string_view text) {
    for (std::size_t at = text.find('$'); at != std::string_view::npos;
         at = text.find('$', at + 1)) {
        if ((at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r') && at + 7 <= text.size()) {
            const std::string_view type = text.substr(at + 3, 4);
            if (type == "RMC," || type == "GGA,") {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

const char* TrackFormatName(TrackFormat format) {
    switch (format) {
        case TrackFormat::Gpx:
            return "GPX";
        case TrackFormat::Csv:
            return "CSV";
        case TrackFormat::Nmea:
            return "NMEA";
        case TrackFormat::Kml:
            return "KML";
        case TrackFormat::Kmz:
            return "KMZ";
        case TrackFormat::Tcx:
            return "TCX";
        case TrackFormat::GeoJson:
            return "GeoJSON";
        case TrackFormat::GoogleHistory:
            return "Google location history";
        case TrackFormat::Igc:
            return "IGC";
        case TrackFormat::Fit:
            return "FIT";
    }
    return "?";
}

std::optional<TrackFormat> TrackFormatOfContent(std::string_view head) {
    if (IsFitHeader(head)) {
        return TrackFormat::Fit;
    }
    if (IsKmzHeader(head)) {
        return TrackFormat::Kmz;
    }
    const std::string text = NarrowUtf16(head);
    if (Contains(text, "<kml")) {
        return TrackFormat::Kml;
    }
    if (Contains(text, "<TrainingCenterDatabase")) {
        return TrackFormat::Tcx;
    }
    if (Contains(text, "<gpx")) {
        return TrackFormat::Gpx;
    }
    for (const char* google :
         {"\"latitudeE7\"", "\"latE7\"", "\"timelineObjects\"", "\"semanticSegments\"",
          "\"timelinePath\"", "\"rawSignals\"", "\"placeLocation\""}) {
        if (Contains(text, google)) {
            return TrackFormat::GoogleHistory;
        }
    }
    if (Contains(text, "\"Feature")) {
        return TrackFormat::GeoJson;
    }
    if (HasNmeaSentence(text)) {
        return TrackFormat::Nmea;
    }
    if (HasLineStarting(text, "HFDTE") || HasLineStarting(text, "HPDTE")) {
        return TrackFormat::Igc;
    }
    return std::nullopt;
}

std::optional<TrackFormat> TrackFormatOfFile(const std::string& path) {
    if (EndsWithNoCase(path, "gpx")) {
        return TrackFormat::Gpx;
    }
    if (EndsWithNoCase(path, "csv")) {
        return TrackFormat::Csv;
    }
    for (const auto& [extension, format] : kExtensions) {
        if (EndsWithNoCase(path, extension)) {
            return format;
        }
    }
    for (const char* extension : kExtensionsReadByContent) {
        if (EndsWithNoCase(path, extension)) {
            return TrackFormatOfContent(ReadFileHead(path));
        }
    }
    if (HasNoEnding(path)) {
        return TrackFormatOfContent(ReadFileHead(path));
    }
    return std::nullopt;
}

std::optional<TrackFormat> TrackFormatOfNamedFile(const std::string& path) {
    if (const std::optional<TrackFormat> format = TrackFormatOfFile(path)) {
        return format;
    }
    return TrackFormatOfContent(ReadFileHead(path));
}

}  // namespace geotal
