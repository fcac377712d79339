// Writing the positions of the checked photos into their files, in their order.
#pragma once

#include <functional>
#include <string>

#include "photo/PhotoList.h"
#include "photo/PhotoWriter.h"
#include "support/Progress.h"

namespace geotal {

// The list view as the update sees it; each receives the photo's record index.
struct UpdateCallbacks {
    std::function<bool(int index)> isChecked;
    std::function<void(int index)> uncheck;
    std::function<void(const std::string& message)> showMessage;  // a writer's failure text
};

// Writes every checked photo that has a row and a position, unchecking each row it tried and
// each checked row without a position (0/0, which is never written), in batches (PhotoBatch).
// Stops after an abort or an internal range error; the photos tried until then are still
// written, their batch committed before it returns. Returns the number of files updated.
int WriteMarkedPhotos(const std::string& photoFolder, PhotoList& photos, PhotoWriter& writer,
                      ProgressSink& progress, const UpdateCallbacks& callbacks);

}  // namespace geotal
