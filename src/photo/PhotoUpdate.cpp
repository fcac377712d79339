#include "photo/PhotoUpdate.h"

#include "photo/PhotoBatch.h"
#include "support/AsciiText.h"
#include "support/TraceLog.h"

namespace geotal {

int WriteMarkedPhotos(const std::string& photoFolder, PhotoList& photos, PhotoWriter& writer,
                      ProgressSink& progress, const UpdateCallbacks& callbacks) {
    const std::string folder = WithoutTrailingSlashes(photoFolder);
    Trace("****  WRITE TO PHOTO");
    progress.Begin("Updating image files...", photos.Count());
    int updated = 0;
    bool stopRun = false;
    PhotoBatch batch(writer, [&](std::size_t, const WriteOutcome& outcome) {
        if (!outcome.message.empty() && callbacks.showMessage) {
            callbacks.showMessage(outcome.message);
        }
        if (outcome.result == WriteResult::Written) {
            ++updated;
        } else if (outcome.result == WriteResult::StopRun) {
            stopRun = true;
        }
    });
    for (int i = 0; i < photos.Count(); ++i) {
        const PhotoRecord& photo = photos[i];
        if (photo.listItem != -1 && callbacks.isChecked(i)) {
            // 0/0 means "no position"; writing it would claim the photo was taken there.
            if (photo.HasPosition()) {
                const std::string path = folder + "/" + photo.fileName;
                TraceValue("Save to file", path);
                batch.Add(static_cast<std::size_t>(i), path,
                          GeoPosition{photo.latitude, photo.longitude, photo.altitude, {}});
            }
            callbacks.uncheck(i);
        }
        progress.SetPosition(i);
        progress.Pump();
        if (stopRun || progress.AbortRequested()) {
            break;
        }
    }
    // After an abort too: the photos the run went past are written, as the progress bar told.
    batch.Commit();
    progress.End();
    progress.ClearAbort();
    return updated;
}

}  // namespace geotal
