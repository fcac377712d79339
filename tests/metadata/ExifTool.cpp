#include "metadata/ExifTool.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace geotal::test {
namespace {

std::string RunCommand(const std::string& command) {
    std::string output;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, n);
    }
    ::pclose(pipe);
    return output;
}

template <typename Keep>
std::set<std::string> Lines(const std::string& text, Keep keep) {
    std::set<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (keep(line)) {
            lines.insert(line);
        }
    }
    return lines;
}

bool IsTag(const std::string& line) {
    return line.rfind("[System]", 0) != 0 && line.rfind("[ExifTool]", 0) != 0;
}

bool IsWarning(const std::string& line) {
    return line.rfind("Warning ", 0) == 0;
}

// Splits exiftool's output for several files ("======== path" before each) by file name.
template <typename Keep>
std::map<std::string, std::set<std::string>> ByFile(const std::string& text, Keep keep) {
    std::map<std::string, std::set<std::string>> files;
    const std::string mark = "======== ";
    std::size_t at = text.find(mark);
    while (at != std::string::npos) {
        const std::size_t nameEnd = text.find('\n', at);
        const std::string path = text.substr(at + mark.size(), nameEnd - at - mark.size());
        const std::size_t next = text.find("\n" + mark, nameEnd);
        const std::size_t end = next == std::string::npos ? text.size() : next + 1;
        files[path.substr(path.rfind('/') + 1)] =
            Lines(text.substr(nameEnd + 1, end - nameEnd - 1), keep);
        at = next == std::string::npos ? next : next + 1;
    }
    return files;
}

}  // namespace

std::map<std::string, std::set<std::string>> ExifToolTagsOfFolder(const std::string& folder) {
    return ByFile(RunCommand("exiftool -n -a -G1 -s '" + folder + "' 2>/dev/null"), IsTag);
}

std::map<std::string, std::set<std::string>> ValidationWarningsOfFolder(const std::string& folder) {
    return ByFile(RunCommand("exiftool -validate -warning -a -s '" + folder + "' 2>/dev/null"),
                  IsWarning);
}

std::set<std::string> WithoutWrittenTags(const std::set<std::string>& tags) {
    // What a position write sets, and what it removes as part of the old fix, by exiftool's
    // names; GPSDateTime is exiftool's name for the date and time stamps together.
    static const std::set<std::string> kWritten = {
        "GPSVersionID",
        "GPSLatitudeRef",
        "GPSLatitude",
        "GPSLongitudeRef",
        "GPSLongitude",
        "GPSAltitudeRef",
        "GPSAltitude",
        "GPSPosition",
        "GPSTimeStamp",
        "GPSDateStamp",
        "GPSDateTime",
        "GPSSatellites",
        "GPSStatus",
        "GPSMeasureMode",
        "GPSDOP",
        "GPSSpeedRef",
        "GPSSpeed",
        "GPSTrackRef",
        "GPSTrack",
        "GPSMapDatum",
        "GPSDestLatitudeRef",
        "GPSDestLatitude",
        "GPSDestLongitudeRef",
        "GPSDestLongitude",
        "GPSDestBearingRef",
        "GPSDestBearing",
        "GPSDestDistanceRef",
        "GPSDestDistance",
        "GPSProcessingMethod",
        "GPSAreaInformation",
        "GPSDifferential",
        "GPSHPositioningError",
    };
    std::set<std::string> kept;
    for (const std::string& line : tags) {
        const std::string group = line.substr(0, line.find(']') + 1);
        const std::size_t name = line.find_first_not_of(' ', group.size());
        const std::string tag =
            name == std::string::npos ? "" : line.substr(name, line.find(' ', name) - name);
        const bool gpsGroup = group == "[GPS]" || group == "[Composite]" || group == "[XMP-exif]";
        if (!gpsGroup || kWritten.count(tag) == 0) {
            kept.insert(line);
        }
    }
    return kept;
}

std::set<std::string> Minus(const std::set<std::string>& a, const std::set<std::string>& b) {
    std::set<std::string> rest;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(rest, rest.begin()));
    return rest;
}

std::string TagLine(const std::string& group, const std::string& tag, const std::string& value) {
    std::string line = "[" + group + "]";
    line.resize(16, ' ');
    line += tag;
    line.resize(48, ' ');
    return line + ": " + value;
}

bool HasExifTool() {
    return !RunCommand("command -v exiftool").empty();
}

std::set<std::string> ExifToolTags(const std::string& path) {
    return Lines(RunCommand("exiftool -n -a -G1 -s '" + path + "' 2>/dev/null"), IsTag);
}

std::set<std::string> ValidationWarnings(const std::string& path) {
    return Lines(RunCommand("exiftool -validate -warning -a -s '" + path + "' 2>/dev/null"),
                 IsWarning);
}

}  // namespace geotal::test
