// Writing the positions of the marked photos into their files, in their order.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "photo/PhotoList.h"
#include "photo/PhotoWriter.h"
#include "photo/Sidecar.h"
#include "support/Progress.h"

namespace geotal {

// What the front end hears of an update, each with the photo's record index.
struct UpdateCallbacks {
    std::function<void(const std::string& message)> showMessage;  // a writer's failure text
    std::function<void(int index)> changed;                       // the record was updated
    // A photo refused because the copy folder holds another photo of its name; when set, these
    // come here instead of to showMessage, so that a front end can name them all at once.
    std::function<void(int index, const std::string& message)> backupTaken;
};

// What an update wrote: photo files, and sidecars (each once, however many photos share one).
struct UpdateCounts {
    int photos = 0;
    int sidecars = 0;

    friend bool operator==(const UpdateCounts&, const UpdateCounts&) = default;
};

// What the user is told: "N image files were successfully updated." where no sidecar was
// written; where sidecars were, they are named as such.
std::string UpdatedFilesText(const UpdateCounts& counts);

// Counts a photo's written position by where it went: its own file, or its sidecar, once.
class UpdateCounter {
public:
    explicit UpdateCounter(const SidecarOptions& sidecars) : sidecars_(sidecars) {}
    void Written(const std::string& photoPath);
    const UpdateCounts& Counts() const { return counts_; }

private:
    SidecarOptions sidecars_;
    UpdateCounts counts_;
    std::set<std::string> sidecarFiles_;
};

// Writes every marked photo that has a position into its file in photos.folder, in batches
// (PhotoBatch), or into its sidecar where the options put it (PositionWriter). A photo written is
// unmarked and its file's position becomes the one written; a photo whose write failed stays
// marked, goes back to the position its file holds, and its note says why. A marked removal
// (IsRemoval) takes the file's position out, and its file then holds none; any other marked
// photo without a position is unmarked, as there is nothing to write. Stops after an abort or an
// internal range error; the photos tried until then are still written, their batch committed before
// it returns. Returns what was written.
UpdateCounts WriteMarkedPhotos(PhotoList& photos, PhotoWriter& writer, ProgressSink& progress,
                               const UpdateCallbacks& callbacks,
                               const SidecarOptions& sidecars = {});

}  // namespace geotal
