#include "track/TrackPointGate.h"

#include "support/Angles.h"
#include "support/TraceLog.h"

namespace geotal {

bool TrackPointGate::Offer(const TrackPoint& point, bool hasPosition) {
    if (!hasPosition || (point.latitude == 0 && point.longitude == 0)) {
        ++skipped_.withoutPosition;
    } else if (point.time == 0) {
        ++skipped_.withoutTime;
    } else if (!IsOnGlobe(point.latitude, point.longitude)) {
        ++skipped_.offGlobe;
    } else {
        store_.Append(point);
        return true;
    }
    return false;
}

bool TrackPointGate::OfferFix(std::optional<double> latitude, std::optional<double> longitude,
                              std::optional<double> elevation, double time) {
    const bool hasPosition = latitude && longitude;
    const TrackPoint point{hasPosition ? DegreesToArcSeconds(*latitude) : 0,
                           hasPosition ? DegreesToArcSeconds(*longitude) : 0, elevation, time};
    return Offer(point, hasPosition);
}

void TraceSkippedPoints(const std::string& path, const SkippedPoints& skipped) {
    const int total = skipped.Total();
    if (total == 0) {
        return;
    }
    Trace("  Skipped " + std::to_string(total) + (total == 1 ? " point of " : " points of ") +
          path + ": " + std::to_string(skipped.withoutPosition) + " without a position, " +
          std::to_string(skipped.withoutTime) + " without a readable time, " +
          std::to_string(skipped.offGlobe) + " off the globe");
}

}  // namespace geotal
