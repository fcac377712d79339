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
    batch_.Commit();
}

void PositionWriter::Add(std::size_t ticket, const std::string& path,
                         const MaybePosition& position) {
    const PositionTarget target = TargetOf(path, options_);
    // A leftover of an interrupted photo update is refused by the batch, never given a sidecar.
    if (target.inPhoto || IsTemporaryName(FileNameOf(path))) {
        TraceValue("Save to file", path);
        if (target.inPhoto && !position) {
            std::error_code error;
            if (std::string sidecar = SidecarPathFor(path, options_.naming);
                std::filesystem::exists(sidecar, error)) {
                sidecarRemovals_[ticket] = {path, std::move(sidecar)};
            }
        }
        batch_.Add(ticket, path, position);
    } else {
        done_(ticket, sidecars_.Write(path, target.file, position));
    }
}

void PositionWriter::PhotoDone(std::size_t ticket, WriteOutcome outcome) {
    const auto removal = sidecarRemovals_.find(ticket);
    if (removal != sidecarRemovals_.end()) {
        const auto [photo, sidecar] = std::move(removal->second);
        sidecarRemovals_.erase(removal);
        // Only once the JPEG holds none: the sidecar's position is kept while the photo's own is.
        if (outcome.result == WriteResult::Written) {
            const WriteOutcome sidecarOutcome = sidecars_.Write(photo, sidecar, std::nullopt);
            if (sidecarOutcome.result == WriteResult::Written) {
                outcome.unchanged = outcome.unchanged && sidecarOutcome.unchanged;
            } else {
                outcome = sidecarOutcome;
            }
        }
    }
    done_(ticket, outcome);
}

}  // namespace geotal
