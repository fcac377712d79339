#include "photo/PositionTarget.h"

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
      batch_(writer, done_),
      sidecars_(batch_.Locks(), writer.CopyFolder()) {}

void PositionWriter::Add(std::size_t ticket, const std::string& path,
                         const MaybePosition& position) {
    const PositionTarget target = TargetOf(path, options_);
    // A leftover of an interrupted photo update is refused by the batch, never given a sidecar.
    if (target.inPhoto || IsTemporaryName(FileNameOf(path))) {
        // Traced with the photo's other lines, which may be made on another thread.
        batch_.TraceNext("Save to file = " + path);
        batch_.Add(ticket, path, position);
    } else {
        // The photos before it first, prepared and taken in: a sidecar edit through exiv2 drops
        // the XMP namespaces the library learnt, process-wide, which a photo read meanwhile on
        // another thread would miss; and its outcome then comes in turn.
        batch_.Settle();
        done_(ticket, sidecars_.Write(path, target.file, position));
    }
}

}  // namespace geotal
