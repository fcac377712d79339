#include "photo/PositionTarget.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "photo/PhotoPaths.h"
#include "support/TraceLog.h"

namespace geotal {

PositionTarget TargetOf(const std::string& photoPath, const SidecarOptions& options) {
    if (IsJpegFileName(photoPath) && !options.sidecarOnly) {
        return {true, photoPath};
    }
    return {false, SidecarPathFor(photoPath, options.naming)};
}

PositionWriter::PositionWriter(PhotoWriter& writer, const SidecarOptions& options, OutcomeSink done)
    : options_(options),
      done_(std::move(done)),
      batch_(writer, [this](std::size_t ticket,
                            const WriteOutcome& outcome) { PhotoDone(ticket, outcome); }),
      sidecars_(batch_.Locks(), writer.CopyFolder()) {}

PositionWriter::~PositionWriter() {
    try {
        Commit();
    } catch (...) {
        // Nothing can be passed on from here; the batch stops its preparers as it ends.
        Trace("  The positions could not all be committed as the writer ended");
    }
}

void PositionWriter::Add(std::size_t ticket, const std::string& path,
                         const MaybePosition& position) {
    const PositionTarget target = TargetOf(path, options_);
    // A leftover of an interrupted photo update is refused by the batch, never given a sidecar.
    if (target.inPhoto || IsTemporaryName(FileNameOf(path))) {
        // Traced with the photo's other lines, which may be made on another thread.
        batch_.TraceNext("Save to file = " + path);
        if (target.inPhoto && !position) {
            std::error_code error;
            if (std::string sidecar = SidecarPathFor(path, options_.naming);
                std::filesystem::exists(sidecar, error)) {
                sidecarRemovals_[ticket] = {path, std::move(sidecar), std::nullopt};
            }
        }
        batch_.Add(ticket, path, position);
    } else {
        // The photos before it first, prepared and taken in: a sidecar edit through exiv2 drops
        // the XMP namespaces the library learnt, process-wide, which a photo read meanwhile on
        // another thread would miss; and its outcome then comes in turn.
        batch_.Settle();
        RemoveFromSidecars();
        done_(ticket, sidecars_.Write(path, target.file, position));
    }
}

void PositionWriter::Commit() {
    batch_.Commit();
    RemoveFromSidecars();
}

void PositionWriter::PhotoDone(std::size_t ticket, const WriteOutcome& outcome) {
    const auto removal = sidecarRemovals_.find(ticket);
    if (removal == sidecarRemovals_.end()) {
        done_(ticket, outcome);
    } else if (outcome.result != WriteResult::Written) {
        // The sidecar's position is kept while the photo's own is.
        sidecarRemovals_.erase(removal);
        done_(ticket, outcome);
    } else {
        removal->second.photoDone = outcome;
    }
}

void PositionWriter::RemoveFromSidecars() {
    for (auto removal = sidecarRemovals_.begin(); removal != sidecarRemovals_.end();) {
        if (!removal->second.photoDone) {
            ++removal;
            continue;
        }
        WriteOutcome outcome = *removal->second.photoDone;
        const WriteOutcome sidecar =
            sidecars_.Write(removal->second.photo, removal->second.sidecar, std::nullopt);
        if (sidecar.result == WriteResult::Written) {
            outcome.unchanged = outcome.unchanged && sidecar.unchanged;
        } else {
            outcome = sidecar;
        }
        const std::size_t ticket = removal->first;
        removal = sidecarRemovals_.erase(removal);
        done_(ticket, outcome);
    }
}

}  // namespace geotal
