#include "track/GoogleHistoryReader.h"

#include <limits>
#include <optional>
#include <string>

#include "support/Angles.h"
#include "track/JsonElements.h"
#include "track/TextToFloat.h"

namespace geotal {
namespace {

using simdjson::dom::element;

constexpr double kE7 = 1e7;
constexpr double kMinutesPerDay = 1440;

struct Place {
    double latitude = 0, longitude = 0;
};

// "48.8566°, 2.3522°", "48.8566, 2.3522" or "geo:48.8566,2.3522".
std::optional<Place> PlaceOfText(std::string_view text) {
    if (text.substr(0, 4) == "geo:") {
        text.remove_prefix(4);
    }
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos || text.empty()) {
        return std::nullopt;
    }
    const std::string_view first = text.substr(0, comma);
    if (first.find_first_of("0123456789") == std::string_view::npos) {
        return std::nullopt;
    }
    return Place{TextToFloat(first), TextToFloat(text.substr(comma + 1))};
}

// latitudeE7/longitudeE7 (or latE7/lngE7) members, or a "latLng" text.
std::optional<Place> PlaceOf(element object) {
    double latitude = 0;
    double longitude = 0;
    if ((JsonDouble(object, "latitudeE7", latitude) &&
         JsonDouble(object, "longitudeE7", longitude)) ||
        (JsonDouble(object, "latE7", latitude) && JsonDouble(object, "lngE7", longitude))) {
        return Place{latitude / kE7, longitude / kE7};
    }
    std::string_view text;
    if (JsonString(object, "latLng", text) || JsonString(object, "LatLng", text) ||
        JsonString(object, "placeLocation", text) || JsonString(object, "point", text)) {
        return PlaceOfText(text);
    }
    element inner;
    if (JsonMember(object, "placeLocation", inner)) {
        return PlaceOf(inner);
    }
    return std::nullopt;
}

double TimeMember(element object, std::string_view key) {
    element value;
    return JsonMember(object, key, value) ? JsonTime(value) : 0;
}

class GoogleVisitor final : public JsonElementVisitor {
public:
    explicit GoogleVisitor(TrackStore& store) : gate_(store) {}

    void Visit(std::string_view key, element entry) override {
        if (key == "locations") {
            Record(entry);
        } else if (key == "timelineObjects") {
            TimelineObject(entry);
        } else if (key == "semanticSegments" || key.empty()) {
            Segment(entry);
        } else if (key == "timelineEdits") {
            element signal;
            element position;
            element point;
            if (JsonMember(entry, "rawSignal", signal) && JsonMember(signal, "signal", signal) &&
                JsonMember(signal, "position", position) && JsonMember(position, "point", point)) {
                Offer(PlaceOf(point), TimeMember(position, "timestamp"));
            }
        } else if (key == "rawSignals") {
            element position;
            if (JsonMember(entry, "position", position)) {
                Offer(PlaceOf(position), TimeMember(position, "timestamp"), position,
                      "altitudeMeters");
            }
        }
    }

    TrackReadResult Finish(const std::string& damage) const {
        TrackReadResult result{gate_.skipped(), {}};
        if (untimed_ > 0) {
            result.AddNote(
                std::to_string(untimed_) +
                (untimed_ == 1 ? " waypoint without a time" : " waypoints without a time") +
                " gave no points");
        }
        result.AddDamage(damage);
        return result;
    }

private:
    void Offer(const std::optional<Place>& place, double time, element altitudeHolder = {},
               std::string_view altitudeKey = {}) {
        TrackPoint point{0, 0, 0, time};
        if (place) {
            point.latitude = DegreesToArcSeconds(place->latitude);
            point.longitude = DegreesToArcSeconds(place->longitude);
        }
        if (!altitudeKey.empty()) {
            point.hasElevation = JsonDouble(altitudeHolder, altitudeKey, point.elevation);
        }
        gate_.Offer(point, place.has_value());
    }

    void Record(element location) {
        double time = TimeMember(location, "timestamp");
        if (time == 0) {
            time = TimeMember(location, "timestampMs");
        }
        Offer(PlaceOf(location), time, location, "altitude");
    }

    // A duration's "startTimestamp" (or "startTimestampMs"), and the same for the end;
    // nothing when the duration does not name that end at all.
    static std::optional<double> DurationTime(element object, std::string_view which) {
        element duration;
        element value;
        const std::string key = std::string(which) + "Timestamp";
        if (!JsonMember(object, "duration", duration)) {
            return std::nullopt;
        }
        if (JsonMember(duration, key, value) || JsonMember(duration, key + "Ms", value)) {
            return JsonTime(value);
        }
        return std::nullopt;
    }

    void TimelineObject(element object) {
        element segment;
        element visit;
        if (JsonMember(object, "activitySegment", segment)) {
            element start;
            element end;
            if (JsonMember(segment, "startLocation", start)) {
                OfferIfPlace(PlaceOf(start), DurationTime(segment, "start"));
            }
            if (JsonMember(segment, "endLocation", end)) {
                OfferIfPlace(PlaceOf(end), DurationTime(segment, "end"));
            }
            element path;
            element points;
            if (JsonMember(segment, "simplifiedRawPath", path) &&
                JsonMember(path, "points", points) && points.is_array()) {
                for (element point : points.get_array()) {
                    double time = TimeMember(point, "timestamp");
                    if (time == 0) {
                        time = TimeMember(point, "timestampMs");
                    }
                    Offer(PlaceOf(point), time);
                }
            }
            element waypoints;
            if (JsonMember(segment, "waypointPath", path) &&
                JsonMember(path, "waypoints", waypoints) && waypoints.is_array()) {
                untimed_ += static_cast<int>(waypoints.get_array().size());
            }
        } else if (JsonMember(object, "placeVisit", visit)) {
            element location;
            if (JsonMember(visit, "location", location)) {
                const std::optional<Place> place = PlaceOf(location);
                OfferIfPlace(place, DurationTime(visit, "start"));
                OfferIfPlace(place, DurationTime(visit, "end"));
            }
        }
    }

    // Start and end locations that are empty objects, or ends without a time field, say
    // nothing; they are not lost points.
    void OfferIfPlace(const std::optional<Place>& place, std::optional<double> time) {
        if (place && time) {
            Offer(place, *time);
        }
    }

    void Segment(element segment) {
        const double start = TimeMember(segment, "startTime");
        const double end = TimeMember(segment, "endTime");
        element path;
        if (JsonMember(segment, "timelinePath", path) && path.is_array()) {
            for (element point : path.get_array()) {
                double time = TimeMember(point, "time");
                double minutes = 0;
                if (time == 0 && start != 0 &&
                    JsonDouble(point, "durationMinutesOffsetFromStartTime", minutes)) {
                    time = start + minutes / kMinutesPerDay;
                }
                Offer(PlaceOf(point), time);
            }
        }
        element visit;
        element candidate;
        if (JsonMember(segment, "visit", visit) && JsonMember(visit, "topCandidate", candidate)) {
            const std::optional<Place> place = PlaceOf(candidate);
            OfferIfPlace(place, start);
            OfferIfPlace(place, end);
        }
        element activity;
        if (JsonMember(segment, "activity", activity)) {
            element at;
            std::string_view text;
            if (JsonMember(activity, "start", at)) {
                OfferIfPlace(JsonString(activity, "start", text) ? PlaceOfText(text) : PlaceOf(at),
                             start);
            }
            if (JsonMember(activity, "end", at)) {
                OfferIfPlace(JsonString(activity, "end", text) ? PlaceOfText(text) : PlaceOf(at),
                             end);
            }
        }
    }

    TrackPointGate gate_;
    int untimed_ = 0;
};

}  // namespace

TrackReadResult ReadGoogleHistoryText(std::string_view bytes, TrackStore& store) {
    // A Records.json entry takes some 150 to 250 bytes: room for one per 128 covers it.
    constexpr std::size_t kFewestBytesPerPoint = 128;
    const std::size_t room =
        static_cast<std::size_t>(store.Count()) + bytes.size() / kFewestBytesPerPoint;
    if (room < static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        store.Reserve(static_cast<int>(room));
    }
    GoogleVisitor visitor(store);
    const std::string damage = WalkJsonElements(bytes, visitor);
    return visitor.Finish(damage);
}

}  // namespace geotal
