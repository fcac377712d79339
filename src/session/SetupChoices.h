// The choices of the Setup dialog, as the session takes them.
#pragma once

#include <string>

#include "output/Formatting.h"
#include "output/MapAddress.h"

namespace geotal {

struct SetupChoices {
    CoordinateFormat format = CoordinateFormat::DecimalDegrees;
    MapService mapService = MapService::MapQuest;
    bool copyFiles = true;
    std::string copyFolder;
    bool trace = false;
    bool usePhotoZone = true;     // a photo's recorded offset from UTC comes first
    bool sidecarNameExt = false;  // a new sidecar is IMG_1234.CR2.xmp, not IMG_1234.xmp
    bool sidecarOnly = false;     // no photo file is changed, JPEGs' positions too go to sidecars
};

}  // namespace geotal
