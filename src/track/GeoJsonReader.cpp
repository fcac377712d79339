#include "track/GeoJsonReader.h"

#include <array>
#include <string>

#include "support/Angles.h"
#include "track/JsonElements.h"

namespace geotal {
namespace {

constexpr std::array<std::string_view, 7> kTimeProperties = {
    "time", "timestamp", "tst", "datetime", "date", "when", "recorded_at"};
constexpr std::array<std::string_view, 4> kAltitudeProperties = {"altitude", "alt", "ele",
                                                                 "elevation"};

class GeoJsonVisitor final : public JsonElementVisitor {
public:
    explicit GeoJsonVisitor(TrackStore& store) : gate_(store) {}

    void Visit(std::string_view key, simdjson::dom::element feature) override {
        Entry(key, feature);
    }
    void Visit(std::string_view key, JsonText feature) override { Entry(key, feature); }

    TrackReadResult Finish(const std::string& damage) const {
        TrackReadResult result{gate_.skipped(), {}};
        if (untimedLines_ > 0) {
            result.AddNote(std::to_string(untimedLines_) +
                           (untimedLines_ == 1 ? " line without" : " lines without") +
                           " coordTimes gave no points");
        }
        result.AddDamage(damage);
        return result;
    }

private:
    template <class Element>
    void Entry(std::string_view key, Element feature) {
        if (key.empty() || key == "features" || key == "locations") {
            Feature(feature);
        }
    }

    template <class Element>
    void Feature(Element feature) {
        Element geometry;
        std::string_view type;
        if (!JsonMember(feature, "geometry", geometry) || !JsonString(geometry, "type", type)) {
            Point(feature, Element{}, false);  // Overland's events without a place
            return;
        }
        Element coordinates;
        const bool hasCoordinates = JsonMember(geometry, "coordinates", coordinates);
        if (type == "Point") {
            Point(feature, coordinates, hasCoordinates);
        } else if (type == "LineString" || type == "MultiLineString") {
            if (hasCoordinates) {
                Lines(feature, coordinates, type == "MultiLineString");
            } else {
                ++untimedLines_;
            }
        }
    }

    template <class Element>
    void Point(Element feature, Element coordinates, bool hasCoordinates) {
        // A default simdjson element is no JSON value at all: it must never be asked anything.
        Element properties;
        const bool hasProperties = JsonMember(feature, "properties", properties);
        double time = 0;
        for (std::string_view name : kTimeProperties) {
            Element value;
            if (hasProperties && JsonMember(properties, name, value) &&
                (time = JsonTime(value)) != 0) {
                break;
            }
        }
        TrackPoint point{0, 0, std::nullopt, time};
        const bool hasPosition = hasCoordinates && Position(coordinates, point);
        if (!point.elevation) {
            for (std::string_view name : kAltitudeProperties) {
                double elevation = 0;
                if (hasProperties && JsonDouble(properties, name, elevation)) {
                    point.elevation = elevation;
                    break;
                }
            }
        }
        gate_.Offer(point, hasPosition);
    }

    template <class Element>
    void Lines(Element feature, Element coordinates, bool multi) {
        Element properties;
        Element times;
        if (!JsonMember(feature, "properties", properties) ||
            !JsonMember(properties, "coordTimes", times) || !IsJsonArray(coordinates) ||
            !IsJsonArray(times)) {
            ++untimedLines_;
            return;
        }
        if (!multi) {
            Line(coordinates, times);
            return;
        }
        const auto allTimes = JsonItems(times);
        auto lineTimes = allTimes.begin();
        for (Element line : JsonItems(coordinates)) {
            if (lineTimes == allTimes.end()) {
                break;
            }
            Line(line, *lineTimes);
            ++lineTimes;
        }
    }

    template <class Element>
    void Line(Element coordinates, Element times) {
        if (!IsJsonArray(coordinates) || !IsJsonArray(times)) {
            return;
        }
        const auto allTimes = JsonItems(times);
        auto time = allTimes.begin();
        for (Element position : JsonItems(coordinates)) {
            if (time == allTimes.end()) {
                break;
            }
            TrackPoint point{0, 0, std::nullopt, JsonTime(*time)};
            gate_.Offer(point, Position(position, point));
            ++time;
        }
    }

    // [longitude, latitude, altitude?] into the point.
    template <class Element>
    static bool Position(Element coordinates, TrackPoint& point) {
        double values[3] = {};
        int count = 0;
        if (!IsJsonArray(coordinates)) {
            return false;
        }
        for (Element value : JsonItems(coordinates)) {
            if (count == 3 || !JsonNumber(value, values[count])) {
                break;
            }
            ++count;
        }
        if (count < 2) {
            return false;
        }
        point.longitude = DegreesToArcSeconds(values[0]);
        point.latitude = DegreesToArcSeconds(values[1]);
        if (count == 3) {
            point.elevation = values[2];
        }
        return true;
    }

    TrackPointGate gate_;
    int untimedLines_ = 0;
};

}  // namespace

TrackReadResult ReadGeoJsonText(std::string_view bytes, TrackStore& store) {
    return ReadGeoJsonText(bytes, store, kJsonTreeBytes);
}

TrackReadResult ReadGeoJsonText(std::string_view bytes, TrackStore& store, std::size_t treeBytes) {
    GeoJsonVisitor visitor(store);
    const std::string damage = WalkJsonElements(bytes, visitor, treeBytes);
    return visitor.Finish(damage);
}

}  // namespace geotal
