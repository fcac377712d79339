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

using simdjson::dom::element;

class GeoJsonVisitor final : public JsonElementVisitor {
public:
    explicit GeoJsonVisitor(TrackStore& store) : gate_(store) {}

    void Visit(std::string_view key, element feature) override {
        if (key.empty() || key == "features" || key == "locations") {
            Feature(feature);
        }
    }

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
    void Feature(element feature) {
        element geometry;
        std::string_view type;
        if (!JsonMember(feature, "geometry", geometry) || !JsonString(geometry, "type", type)) {
            Point(feature, {}, false);  // Overland's events without a place
            return;
        }
        element coordinates;
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

    void Point(element feature, element coordinates, bool hasCoordinates) {
        // A default element is no JSON value at all: it must never be asked anything.
        element properties;
        const bool hasProperties = JsonMember(feature, "properties", properties);
        double time = 0;
        for (std::string_view name : kTimeProperties) {
            element value;
            if (hasProperties && JsonMember(properties, name, value) &&
                (time = JsonTime(value)) != 0) {
                break;
            }
        }
        TrackPoint point{0, 0, 0, time};
        const bool hasPosition = hasCoordinates && Position(coordinates, point);
        if (!point.hasElevation) {
            for (std::string_view name : kAltitudeProperties) {
                if (hasProperties && JsonDouble(properties, name, point.elevation)) {
                    point.hasElevation = true;
                    break;
                }
            }
        }
        gate_.Offer(point, hasPosition);
    }

    void Lines(element feature, element coordinates, bool multi) {
        element properties;
        element times;
        if (!JsonMember(feature, "properties", properties) ||
            !JsonMember(properties, "coordTimes", times) || !coordinates.is_array() ||
            !times.is_array()) {
            ++untimedLines_;
            return;
        }
        if (!multi) {
            Line(coordinates, times);
            return;
        }
        auto lineTimes = times.get_array().begin();
        for (element line : coordinates.get_array()) {
            if (lineTimes == times.get_array().end()) {
                break;
            }
            Line(line, *lineTimes);
            ++lineTimes;
        }
    }

    void Line(element coordinates, element times) {
        if (!coordinates.is_array() || !times.is_array()) {
            return;
        }
        auto time = times.get_array().begin();
        for (element position : coordinates.get_array()) {
            if (time == times.get_array().end()) {
                break;
            }
            TrackPoint point{0, 0, 0, JsonTime(*time)};
            gate_.Offer(point, Position(position, point));
            ++time;
        }
    }

    // [longitude, latitude, altitude?] into the point.
    static bool Position(element coordinates, TrackPoint& point) {
        double values[3] = {};
        int count = 0;
        if (!coordinates.is_array()) {
            return false;
        }
        for (element value : coordinates.get_array()) {
            if (count == 3 || value.get_double().get(values[count]) != simdjson::SUCCESS) {
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
            point.hasElevation = true;
        }
        return true;
    }

    TrackPointGate gate_;
    int untimedLines_ = 0;
};

}  // namespace

TrackReadResult ReadGeoJsonText(std::string_view bytes, TrackStore& store) {
    GeoJsonVisitor visitor(store);
    const std::string damage = WalkJsonElements(bytes, visitor);
    return visitor.Finish(damage);
}

}  // namespace geotal
