// The cameras of a folder of photos, and what each camera's clock error rests on.
#pragma once

#include <string>
#include <vector>

#include "geotag/TimeAdjustment.h"
#include "photo/PhotoList.h"

namespace geotal {

struct CameraSummary {
    std::string name;            // as PhotoRecord::camera; empty for photos that name no camera
    int photos = 0;              // with a capture time
    bool recordsOffsets = true;  // every one of them records its offset from UTC
};

// The cameras of the photos with a capture time, in name order.
std::vector<CameraSummary> CamerasOf(const PhotoList& photos);

// Sets the adjustment's selfSetCameras from the photos: where they come from more than one
// camera, each camera whose every photo records a well-formed offset from UTC (a phone, whose
// clock the network keeps right). With one camera, none: the error typed is meant for it.
void FindSelfSetCameras(const PhotoList& photos, TimeAdjustment& adjustment);

// What a camera's clock error rests on, as a person reads it: "2 sync photos", "typed for it",
// "the camera time error" (the default), "none: it records its offset".
std::string DescribeCameraClock(const TimeAdjustment& adjustment, const std::string& camera);

// The cameras of the list that a name typed for one means: its whole name, or its make and
// model alone for every body of that model; letter case and runs of spaces do not count.
std::vector<std::string> CamerasNamed(const std::vector<CameraSummary>& cameras,
                                      const std::string& typed);

// Where the sync points of two or more photos of one camera say its clock gained or lost more
// than a camera's clock does (kMostDriftPerDay seconds a day) between two of them, the sentence
// that says so; empty otherwise.
inline constexpr double kMostDriftPerDay = 180;
std::string ImplausibleDrift(const std::vector<ClockSyncPoint>& points);

}  // namespace geotal
