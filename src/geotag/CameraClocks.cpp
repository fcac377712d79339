#include "geotag/CameraClocks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "geotag/PhotoUtcTime.h"
#include "geotag/UtcOffsetText.h"
#include "support/AsciiText.h"

namespace geotal {
namespace {

// Lower case, one space between words, none around them.
std::string Folded(const std::string& text) {
    std::string folded;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!folded.empty() && folded.back() != ' ') {
                folded += ' ';
            }
        } else {
            folded += AsciiLower(c);
        }
    }
    while (!folded.empty() && folded.back() == ' ') {
        folded.pop_back();
    }
    return folded;
}

}  // namespace

std::vector<CameraSummary> CamerasOf(const PhotoList& photos) {
    std::map<std::string, CameraSummary> byName;
    for (const PhotoRecord& photo : photos.records) {
        if (!photo.captureTime) {
            continue;
        }
        CameraSummary& camera = byName[photo.camera];
        camera.name = photo.camera;
        ++camera.photos;
        camera.recordsOffsets =
            camera.recordsOffsets && ParseUtcOffsetText(photo.recordedOffset).has_value();
    }
    std::vector<CameraSummary> cameras;
    for (auto& [name, camera] : byName) {
        cameras.push_back(std::move(camera));
    }
    return cameras;
}

void FindSelfSetCameras(const PhotoList& photos, TimeAdjustment& adjustment) {
    adjustment.selfSetCameras.clear();
    const std::vector<CameraSummary> cameras = CamerasOf(photos);
    if (cameras.size() < 2) {
        return;
    }
    for (const CameraSummary& camera : cameras) {
        if (camera.recordsOffsets) {
            adjustment.selfSetCameras.insert(camera.name);
        }
    }
}

std::string DescribeCameraClock(const TimeAdjustment& adjustment, const std::string& camera) {
    const auto own = adjustment.cameras.find(camera);
    if (own != adjustment.cameras.end() && !own->second.syncPoints.empty()) {
        const std::size_t count = own->second.syncPoints.size();
        return count == 1 ? std::string("a sync photo") : std::to_string(count) + " sync photos";
    }
    if (own != adjustment.cameras.end() && own->second.clockError) {
        return "typed for it";
    }
    return adjustment.selfSetCameras.count(camera) != 0 ? "none: it records its offset"
                                                        : "the camera time error";
}

std::vector<std::string> CamerasNamed(const std::vector<CameraSummary>& cameras,
                                      const std::string& typed) {
    const std::string wanted = Folded(typed);
    std::vector<std::string> named;
    for (const CameraSummary& camera : cameras) {
        const std::string name = Folded(camera.name);
        const std::size_t serial = name.rfind(" #");
        if (!name.empty() &&
            (name == wanted || (serial != std::string::npos && name.substr(0, serial) == wanted))) {
            named.push_back(camera.name);
        }
    }
    return named;
}

std::string ImplausibleDrift(const std::vector<ClockSyncPoint>& points) {
    for (std::size_t i = 1; i < points.size(); ++i) {
        const ClockSyncPoint& a = points[i - 1];
        const ClockSyncPoint& b = points[i];
        const double days = b.cameraTime - a.cameraTime;
        const double change = static_cast<double>(b.clockErrorSeconds - a.clockErrorSeconds);
        // Within an hour a few seconds of typing count for more than any drift.
        const double perDay = change / std::max(days, 1.0 / 24);
        if (std::fabs(perDay) > kMostDriftPerDay) {
            char rate[64];
            std::snprintf(rate, sizeof rate, "%.0f s a day", std::fabs(perDay));
            return "The sync photos say the camera clock went from " +
                   ClockErrorText(a.clockErrorSeconds) + " to " +
                   ClockErrorText(b.clockErrorSeconds) + " off, " + rate +
                   ": no camera clock drifts so fast. Is one of the times typed wrong?";
        }
    }
    return {};
}

}  // namespace geotal
