// What a load tells: the line under the list, what hovering over it shows, and the problems with
// the folders that deserve a box of their own.
#pragma once

#include <string>
#include <vector>

#include "session/Notice.h"
#include "settings/SettingsStore.h"
#include "track/TrackFolder.h"

namespace geotal {

struct LoadReport {
    std::string summary;
    std::string details;
    std::vector<Notice> problems;  // at most one box, both folders' problems in it
};

// photosRead false: the reading was stopped and the list still shows photoCount earlier photos.
LoadReport DescribeLoad(const Settings& settings, const TrackFolderCounts& counts, bool photosRead,
                        int photoCount);

}  // namespace geotal
