#include "track/GoogleHistoryReader.h"

#include <optional>
#include <string>

#include "support/Angles.h"
#include "track/JsonElements.h"
#include "track/TextToFloat.h"

namespace geotal {
namespace {

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

// latitudeE7/longitudeE7 (or latE7/lngE7) members, or a "latLng" text, or those in a
// "placeLocation" object.
template <class Element>
std::optional<Place> PlaceOf(Element object, bool inner = false) {
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
    Element location;
    if (!inner && JsonMember(object, "placeLocation", location)) {
        return PlaceOf(location, true);
    }
    return std::nullopt;
}

template <class Element>
double TimeMember(Element object, std::string_view key) {
    Element value;
    return JsonMember(object, key, value) ? JsonTime(value) : 0;
}

// "timestamp", else "timestampMs".
template <class Element>
double PointTime(Element point) {
    const double time = TimeMember(point, "timestamp");
    return time != 0 ? time : TimeMember(point, "timestampMs");
}

class GoogleVisitor final : public JsonElementVisitor {
public:
    explicit GoogleVisitor(TrackStore& store) : gate_(store) {}

    void Visit(std::string_view key, simdjson::dom::element entry) override { Entry(key, entry); }
    void Visit(std::string_view key, JsonText entry) override { Entry(key, entry); }

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
    template <class Element>
    void Entry(std::string_view key, Element entry) {
        if (key == "locations") {
            Record(entry);
        } else if (key == "timelineObjects") {
            TimelineObject(entry);
        } else if (key == "semanticSegments" || key.empty()) {
            Segment(entry);
        } else if (key == "timelineEdits") {
            Element signal;
            Element position;
            Element point;
            if (JsonMember(entry, "rawSignal", signal) && JsonMember(signal, "signal", signal) &&
                JsonMember(signal, "position", position) && JsonMember(position, "point", point)) {
                Offer(PlaceOf(point), TimeMember(position, "timestamp"));
            }
        } else if (key == "rawSignals") {
            Element position;
            if (JsonMember(entry, "position", position)) {
                Offer(PlaceOf(position), TimeMember(position, "timestamp"), position,
                      "altitudeMeters");
            }
        }
    }

    template <class Element = JsonText>
    void Offer(const std::optional<Place>& place, double time, Element altitudeHolder = {},
               std::string_view altitudeKey = {}) {
        TrackPoint point{0, 0, std::nullopt, time};
        if (place) {
            point.latitude = DegreesToArcSeconds(place->latitude);
            point.longitude = DegreesToArcSeconds(place->longitude);
        }
        if (!altitudeKey.empty()) {
            double elevation = 0;
            if (JsonDouble(altitudeHolder, altitudeKey, elevation)) {
                point.elevation = elevation;
            }
        }
        gate_.Offer(point, place.has_value());
    }

    template <class Element>
    void Record(Element location) {
        Offer(PlaceOf(location), PointTime(location), location, "altitude");
    }

    // A duration's "startTimestamp" (or "startTimestampMs"), and the same for the end;
    // nothing when the duration does not name that end at all.
    template <class Element>
    static std::optional<double> DurationTime(Element object, std::string_view which) {
        Element duration;
        Element value;
        const std::string key = std::string(which) + "Timestamp";
        if (!JsonMember(object, "duration", duration)) {
            return std::nullopt;
        }
        if (JsonMember(duration, key, value) || JsonMember(duration, key + "Ms", value)) {
            return JsonTime(value);
        }
        return std::nullopt;
    }

    template <class Element>
    void TimelineObject(Element object) {
        Element segment;
        Element visit;
        if (JsonMember(object, "activitySegment", segment)) {
            Element start;
            Element end;
            if (JsonMember(segment, "startLocation", start)) {
                OfferIfPlace(PlaceOf(start), DurationTime(segment, "start"));
            }
            if (JsonMember(segment, "endLocation", end)) {
                OfferIfPlace(PlaceOf(end), DurationTime(segment, "end"));
            }
            RawPath(segment);
            Element path;
            Element waypoints;
            if (JsonMember(segment, "waypointPath", path) &&
                JsonMember(path, "waypoints", waypoints) && IsJsonArray(waypoints)) {
                for ([[maybe_unused]] Element waypoint : JsonItems(waypoints)) {
                    ++untimed_;
                }
            }
        } else if (JsonMember(object, "placeVisit", visit)) {
            Element location;
            if (JsonMember(visit, "location", location)) {
                const std::optional<Place> place = PlaceOf(location);
                OfferIfPlace(place, DurationTime(visit, "start"));
                OfferIfPlace(place, DurationTime(visit, "end"));
            }
            RawPath(visit);
        }
    }

    // The timed points of an activity's or a visit's simplifiedRawPath.
    template <class Element>
    void RawPath(Element holder) {
        Element path;
        Element points;
        if (JsonMember(holder, "simplifiedRawPath", path) && JsonMember(path, "points", points) &&
            IsJsonArray(points)) {
            for (Element point : JsonItems(points)) {
                Offer(PlaceOf(point), PointTime(point));
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

    template <class Element>
    void Segment(Element segment) {
        const double start = TimeMember(segment, "startTime");
        const double end = TimeMember(segment, "endTime");
        Element path;
        if (JsonMember(segment, "timelinePath", path) && IsJsonArray(path)) {
            for (Element point : JsonItems(path)) {
                double time = TimeMember(point, "time");
                double minutes = 0;
                if (time == 0 && start != 0 &&
                    JsonDouble(point, "durationMinutesOffsetFromStartTime", minutes)) {
                    time = start + minutes / kMinutesPerDay;
                }
                Offer(PlaceOf(point), time);
            }
        }
        Element visit;
        Element candidate;
        if (JsonMember(segment, "visit", visit) && JsonMember(visit, "topCandidate", candidate)) {
            const std::optional<Place> place = PlaceOf(candidate);
            OfferIfPlace(place, start);
            OfferIfPlace(place, end);
        }
        Element activity;
        if (JsonMember(segment, "activity", activity)) {
            Element at;
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
    return ReadGoogleHistoryText(bytes, store, kJsonTreeBytes);
}

TrackReadResult ReadGoogleHistoryText(std::string_view bytes, TrackStore& store,
                                      std::size_t treeBytes) {
    GoogleVisitor visitor(store);
    const std::string damage = WalkJsonElements(bytes, visitor, treeBytes);
    return visitor.Finish(damage);
}

}  // namespace geotal
