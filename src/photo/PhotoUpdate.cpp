#include "photo/PhotoUpdate.h"

#include <map>

#include "photo/PhotoBatch.h"
#include "photo/Sidecar.h"
#include "photo/SidecarWriter.h"
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

int WriteMarkedPhotos(PhotoList& photos, PhotoWriter& writer, ProgressSink& progress,
                      const UpdateCallbacks& callbacks) {
    const auto changed = [&callbacks](int index) {
        if (callbacks.changed) {
            callbacks.changed(index);
        }
    };
    Trace("****  WRITE TO PHOTO");
    progress.Begin("Updating image files...", photos.Count());
    int updated = 0;
    bool stopRun = false;
    const auto report = [&](std::size_t ticket, const WriteOutcome& outcome) {
        PhotoRecord& photo = photos[static_cast<int>(ticket)];
        if (outcome.code == WriteCode::BackupExists && callbacks.backupTaken) {
            callbacks.backupTaken(static_cast<int>(ticket), outcome.message);
        } else if (!outcome.message.empty() && callbacks.showMessage) {
            callbacks.showMessage(outcome.message);
        }
        if (outcome.result == WriteResult::Written) {
            ++updated;
            photo.stored = photo.position;
            photo.marked = false;
        } else {
            // The row shows what the file holds, and stays checked for another try.
            photo.position = photo.stored;
            photo.note =
                NoteOf(outcome.message.empty() ? std::string("the file could not be written")
                                               : outcome.message);
            if (outcome.result == WriteResult::StopRun) {
                stopRun = true;
            }
        }
        changed(static_cast<int>(ticket));
    };
    PhotoBatch batch(writer, report);
    // A RAW and a second format of the same shot share NAME.xmp: written once for both.
    std::map<std::string, std::pair<GeoPosition, WriteOutcome>> sidecars;
    for (int i = 0; i < photos.Count(); ++i) {
        PhotoRecord& photo = photos[i];
        if (photo.marked) {
            if (const MaybePosition& position = photo.position) {
                const std::string path = photos.folder + "/" + photo.fileName;
                if (IsJpegFileName(photo.fileName)) {
                    TraceValue("Save to file", path);
                    batch.Add(static_cast<std::size_t>(i), path, *position);
                } else {
                    std::string sidecar = ExistingSidecarPath(path);
                    sidecar = sidecar.empty() ? DefaultSidecarPath(path) : sidecar;
                    TraceValue("Save to sidecar", sidecar);
                    const auto done = sidecars.find(sidecar);
                    if (done != sidecars.end() && done->second.first == *position) {
                        report(static_cast<std::size_t>(i), done->second.second);
                    } else {
                        const WriteOutcome outcome = WriteSidecarPosition(path, *position);
                        sidecars[sidecar] = {*position, outcome};
                        report(static_cast<std::size_t>(i), outcome);
                    }
                }
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
    return updated;
}

}  // namespace geotal
