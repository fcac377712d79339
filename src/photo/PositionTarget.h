// Where a photo's position goes: into the photo itself, or into its XMP sidecar.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

#include "photo/PhotoBatch.h"
#include "photo/PhotoWriter.h"
#include "photo/Sidecar.h"
#include "photo/SidecarUpdate.h"
#include "support/GeoPosition.h"

namespace geotal {

struct PositionTarget {
    bool inPhoto = false;  // the photo's own file is rewritten
    std::string file;      // the file that gets the position: the photo or its sidecar
};

// A JPEG's position goes into the JPEG, unless sidecars alone are asked for; every other
// format's goes to its sidecar (SidecarPathFor), as its own file is never changed.
PositionTarget TargetOf(const std::string& photoPath, const SidecarOptions& options);

// Writes each photo's position where TargetOf puts it: photos through a PhotoBatch, sidecars
// through a SidecarUpdate that shares the batch's folder locks and copy folder, so a sidecar
// that two photos share is written once.
class PositionWriter {
public:
    PositionWriter(PhotoWriter& writer, const SidecarOptions& options, OutcomeSink done);
    // Commits what is pending, and the sidecars it goes on to, while they are still here.
    ~PositionWriter();
    PositionWriter(const PositionWriter&) = delete;
    PositionWriter& operator=(const PositionWriter&) = delete;

    // A photo's outcome comes to done when its batch is committed; a sidecar's at once. No
    // position takes the photo's position out: a JPEG's from the JPEG and then, by the next
    // sidecar or the commit, from the sidecar it has beside it, which the list reads where the
    // JPEG holds none, so that the position does not come back at the next load.
    void Add(std::size_t ticket, const std::string& path, const MaybePosition& position);
    void Add(std::size_t ticket, const std::string& path, const GeoPosition& position) {
        Add(ticket, path, MaybePosition(position));
    }
    void Commit();

private:
    struct SidecarRemoval {
        std::string photo;
        std::string sidecar;
        std::optional<WriteOutcome> photoDone;  // the JPEG's outcome, once it holds none
    };

    // A photo the batch wrote; a removal from a JPEG waits for its sidecar.
    void PhotoDone(std::size_t ticket, const WriteOutcome& outcome);
    // Takes the position out of the sidecars of the JPEGs that hold none now, and reports them.
    // Only while no photo is being prepared: a sidecar edit through exiv2 drops the XMP
    // namespaces the library learnt, process-wide.
    void RemoveFromSidecars();

    SidecarOptions options_;
    OutcomeSink done_;
    PhotoBatch batch_;
    SidecarUpdate sidecars_;
    // The JPEG removals whose sidecar is to lose its position too, by ticket.
    std::map<std::size_t, SidecarRemoval> sidecarRemovals_;
};

}  // namespace geotal
