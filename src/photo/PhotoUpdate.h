// Writing the positions of the marked photos into their files, in their order.
#pragma once

#include <functional>
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

// Writes every marked photo that has a position into its file in photos.folder, in batches
// (PhotoBatch), or into its sidecar where the options put it (PositionWriter). A photo written is
// unmarked and its file's position becomes the one written; a photo whose write failed stays
// marked, goes back to the position its file holds, and its note says why; a marked photo without a
// position is unmarked, as there is nothing to write. Stops after an abort or an internal range
// error; the photos tried until then are still written, their batch committed before it returns.
// Returns the number of files updated.
int WriteMarkedPhotos(PhotoList& photos, PhotoWriter& writer, ProgressSink& progress,
                      const UpdateCallbacks& callbacks, const SidecarOptions& sidecars = {});

}  // namespace geotal
