#include "photo/PhotoUpdate.h"

#include "photo/PositionTarget.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

// The message without its line ends, as a tooltip shows it.
std::string NoteOf(const std::string& message) {
    std::string note;
    for (char c : message) {
        if (c == '\n' || c == '\r') {
            if (!note.empty() && note.back() != ' ') {
                note += ' ';
            }
        } else {
            note += c;
        }
    }
    while (!note.empty() && note.back() == ' ') {
        note.pop_back();
    }
    return "Not written: " + note;
}

}  // namespace

std::string UpdatedFilesText(const UpdateCounts& counts) {
    const auto sidecars = [](int n) {
        return std::to_string(n) + (n == 1 ? " XMP sidecar" : " XMP sidecars");
    };
    if (counts.sidecars == 0) {
        return std::to_string(counts.photos) + " image files were successfully updated.";
    }
    if (counts.photos == 0) {
        return sidecars(counts.sidecars) + (counts.sidecars == 1 ? " was" : " were") +
               " successfully updated.";
    }
    return std::to_string(counts.photos) + " image files and " + sidecars(counts.sidecars) +
           " were successfully updated.";
}

void UpdateCounter::Written(const std::string& photoPath) {
    const PositionTarget target = TargetOf(photoPath, sidecars_);
    if (target.inPhoto) {
        ++counts_.photos;
    } else if (sidecarFiles_.insert(target.file).second) {
        ++counts_.sidecars;
    }
}

UpdateCounts WriteMarkedPhotos(PhotoList& photos, PhotoWriter& writer, ProgressSink& progress,
                               const UpdateCallbacks& callbacks, const SidecarOptions& sidecars) {
    const auto changed = [&callbacks](int index) {
        if (callbacks.changed) {
            callbacks.changed(index);
        }
    };
    Trace("****  WRITE TO PHOTO");
    progress.Begin("Updating image files...", photos.Count());
    UpdateCounter updated(sidecars);
    bool stopRun = false;
    const auto report = [&](std::size_t ticket, const WriteOutcome& outcome) {
        PhotoRecord& photo = photos[static_cast<int>(ticket)];
        if (outcome.code == WriteCode::BackupExists && callbacks.backupTaken) {
            callbacks.backupTaken(static_cast<int>(ticket), outcome.message);
        } else if (!outcome.message.empty() && callbacks.showMessage) {
            callbacks.showMessage(outcome.message);
        }
        if (outcome.result == WriteResult::Written) {
            // A removal that found nothing to take out changed no file.
            if (!(photo.IsRemoval() && outcome.unchanged)) {
                updated.Written(photos.folder + "/" + photo.fileName);
            }
            if (photo.IsRemoval()) {
                photo.note = outcome.unchanged ? "No position was found to remove"
                                               : "Position removed from the file";
            }
            photo.stored = photo.position;
            photo.marked = false;
            photo.writeFailed = false;
            photo.removing = false;
        } else {
            photo.writeFailed = true;
            // The row shows what the file holds, and stays checked for another try.
            photo.position = photo.stored;
            photo.removing = false;
            photo.note =
                NoteOf(outcome.message.empty() ? std::string("the file could not be written")
                                               : outcome.message);
            if (outcome.result == WriteResult::StopRun) {
                stopRun = true;
            }
        }
        changed(static_cast<int>(ticket));
    };
    PositionWriter batch(writer, sidecars, report);
    for (int i = 0; i < photos.Count(); ++i) {
        PhotoRecord& photo = photos[i];
        if (photo.marked) {
            if (photo.HasSomethingToWrite()) {
                batch.Add(static_cast<std::size_t>(i), photos.folder + "/" + photo.fileName,
                          photo.position);
            } else {
                photo.marked = false;  // nothing to write
                changed(i);
            }
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
    return updated.Counts();
}

}  // namespace geotal
