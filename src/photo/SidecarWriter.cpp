#include "photo/SidecarWriter.h"

#include "files/ReplaceFile.h"
#include "metadata/GpsFields.h"
#include "metadata/SidecarGpsEdit.h"
#include "photo/Sidecar.h"

namespace geotal {
namespace {

WriteOutcome Failure(WriteCode code, const std::string& sidecar, const std::string& why) {
    WriteOutcome outcome;
    outcome.result = WriteResult::Failed;
    outcome.code = code;
    outcome.message = "Cannot write the sidecar " + sidecar + ": " + why;
    return outcome;
}

}  // namespace

XmpExifEdit SidecarGpsEdit(const MaybePosition& position) {
    return GpsPropertyEdit(ToXmpGpsValues(GpsChangeFor(position)));
}

WriteOutcome WriteSidecarPosition(const std::string& photoPath, const GeoPosition& position) {
    const std::string existing = ExistingSidecarPath(photoPath);
    return WriteSidecarFile(existing.empty() ? DefaultSidecarPath(photoPath) : existing, position);
}

WriteOutcome WriteSidecarFile(const std::string& sidecar, const MaybePosition& position) {
    const XmpExifEdit edit = SidecarGpsEdit(position);
    if (const std::string tooLarge = TooLargeForASidecar(sidecar); !tooLarge.empty()) {
        return Failure(WriteCode::MergeFailed, sidecar, tooLarge + "; it was left as it was");
    }
    // As read: a sidecar another program writes or makes after this is never overwritten.
    std::string old;
    ReadState read;
    if (!ReadForReplacement(sidecar, old, read)) {
        return Failure(WriteCode::MergeFailed, sidecar, "it cannot be read");
    }
    if (!position && (!read.identity || !HoldsAnyExifProperty(old, edit.removed))) {
        WriteOutcome outcome;
        outcome.result = WriteResult::Written;
        outcome.unchanged = true;  // no position there to take out
        return outcome;
    }
    std::string packet;
    std::string why;
    if (!EditSidecarGps(read.identity ? old : std::string(), edit, packet, why)) {
        return Failure(WriteCode::MergeFailed, sidecar, why);
    }
    if (!ReplaceKeptFile(sidecar, packet, read, why)) {
        WriteOutcome outcome = Failure(WriteCode::RenameNewFailed, sidecar, why);
        outcome.message = why;  // it names the sidecar and what failed already
        return outcome;
    }
    WriteOutcome outcome;
    outcome.result = WriteResult::Written;
    return outcome;
}

}  // namespace geotal
