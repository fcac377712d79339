#include "cli/TagJson.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "geotag/PhotoUtcTime.h"
#include "geotag/UtcOffsetText.h"
#include "support/Angles.h"
#include "support/DateTime.h"

namespace geotal::cli {
namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted += c;  // UTF-8 passes as it is
        }
    }
    return quoted + "\"";
}

std::string IsoTime(double dayCount, const char* suffix) {
    const CalendarTime t = FromOleDate(dayCount);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%s", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, suffix);
    return Quoted(text);
}

std::string Number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string Degrees(double arcSeconds) {
    return Number(ArcSecondsToDegrees(arcSeconds));
}

std::string OrNull(const std::optional<std::string>& value) {
    return value ? *value : "null";
}

const char* SourceName(TimeSource source) {
    switch (source) {
        case TimeSource::HourOffset:
            return "\"hours\"";
        case TimeSource::NamedZone:
            return "\"zone\"";
        case TimeSource::RecordedOffset:
            return "\"recorded\"";
        case TimeSource::None:
            break;
    }
    return "null";
}

// The file a point of the store came from: each file's points follow the last file's.
std::string FileOf(const std::vector<TrackFileReport>& files, int index) {
    int first = 0;
    for (const TrackFileReport& file : files) {
        if (index < first + file.positions) {
            return Quoted(file.path);
        }
        first += file.positions;
    }
    return "null";
}

std::string PointJson(const TrackStore& track, const std::vector<TrackFileReport>& files,
                      int index) {
    const TrackPoint& point = track.At(index);
    return "{\"file\":" + FileOf(files, index) + ",\"time\":" + IsoTime(point.time, "Z") +
           ",\"latitude\":" + Degrees(point.latitude) +
           ",\"longitude\":" + Degrees(point.longitude) +
           ",\"elevation\":" + (point.elevation ? Number(*point.elevation) : "null") + "}";
}

// The points the outcome rests on: both for an interpolation, the one taken, or none.
std::string PointsJson(const PositionResult& result, const TrackStore& track,
                       const std::vector<TrackFileReport>& files) {
    switch (result.outcome) {
        case PositionOutcome::Interpolated:
            return "[" + PointJson(track, files, result.beforeIndex) + "," +
                   PointJson(track, files, result.afterIndex) + "]";
        case PositionOutcome::Before:
            return "[" + PointJson(track, files, result.beforeIndex) + "]";
        case PositionOutcome::After:
            return "[" + PointJson(track, files, result.afterIndex) + "]";
        default:
            return "[]";
    }
}

}  // namespace

std::string PhotoJson(const PhotoRecord& photo, const PositionResult& result,
                      const TrackStore& track, const std::vector<TrackFileReport>& files,
                      bool written) {
    const PhotoTime& time = photo.time;
    const bool timed = time.source != TimeSource::None;
    const std::optional<GeoPosition>& position = photo.position;
    std::string json = "{\"name\":" + Quoted(photo.fileName);
    json += ",\"camera\":" + (photo.camera.empty() ? std::string("null") : Quoted(photo.camera));
    json += ",\"cameraTime\":" + (photo.captureTime ? IsoTime(*photo.captureTime, "") : "null");
    json += ",\"timeTag\":" + (photo.timeTag.empty() ? std::string("null") : Quoted(photo.timeTag));
    json += ",\"utcTime\":" + (timed ? IsoTime(time.utc, "Z") : "null");
    json += std::string(",\"timeSource\":") + SourceName(time.source);
    json += ",\"zone\":" + (time.source == TimeSource::NamedZone ? Quoted(time.zoneName) : "null");
    json += ",\"offset\":" + (timed ? Quoted(UtcOffsetText(time.offsetSeconds)) : "null");
    json += ",\"clockError\":" + (timed ? std::to_string(time.clockErrorSeconds) : "null");
    json += ",\"latitude\":" +
            OrNull(position ? std::optional(Degrees(position->latitude)) : std::nullopt);
    json += ",\"longitude\":" +
            OrNull(position ? std::optional(Degrees(position->longitude)) : std::nullopt);
    json += ",\"altitude\":" + OrNull(position && position->altitude
                                          ? std::optional(Number(*position->altitude))
                                          : std::nullopt);
    json += std::string(",\"outcome\":\"") + OutcomeWord(result) + "\"";
    json += ",\"reason\":" + Quoted(DescribePositionResult(result));
    json += ",\"timeReason\":" +
            (timed ? Quoted(DescribePhotoTime(time, photo.captureTime)) : std::string("null"));
    json += ",\"points\":" + PointsJson(result, track, files);
    json += std::string(",\"written\":") + (written ? "true" : "false") + "}";
    return json;
}

}  // namespace geotal::cli
