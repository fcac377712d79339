// Undoing updates from the copy folder: a JPEG's copy put back over the JPEG, a sidecar's copy
// over the sidecar, a sidecar a run made taken away; each only where the file is still what the
// run left apart from its position, and with the care a write takes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "files/FileIdentity.h"
#include "support/Progress.h"

namespace geotal {

enum class RestoreAction {
    None,     // nothing to put back: no copy, or the file is as its copy already
    Restore,  // the copy goes back in the file's place
    Remove,   // a sidecar a run made, holding nothing but a position: taken away
    Refused,  // left as it is; reason says why
};

// One file of a photo, the photo itself or its sidecar, and what a restore does with it.
struct FileRestore {
    RestoreAction action = RestoreAction::None;
    std::string file;    // the photo or sidecar, its links followed; empty when there is none
    std::string copy;    // its copy in the copy folder, for Restore
    std::string reason;  // for Refused why; for the others a note, where there is one
    // The file as it was checked; none for a sidecar to put back where none is now. A file
    // that is no longer so when its turn comes is left as it is.
    std::optional<FileIdentity> fileAsChecked;
    FileIdentity copyAsChecked;
};

struct PhotoRestore {
    std::string path;  // as given
    FileRestore photo;
    FileRestore sidecar;
};

struct RestorePlan {
    std::string copyFolder;
    std::vector<PhotoRestore> photos;
    // For a folder: the files of the copy folder that no photo of the folder accounts for (the
    // copy folder may serve many photo folders). They are left alone.
    std::vector<std::string> strays;
    // Whether the copy folder records whose sidecars it holds; a copy folder of an earlier
    // version does not, and its sidecar copies are not put back.
    bool recordsSidecars = true;
    // Why nothing at all can be restored (no copy folder); empty otherwise.
    std::string refusal;
    bool stopped = false;  // the user stopped the planning or the restore part way
};

// What a restore would do for each of the photos (paths as given; a symbolic link is followed
// to its photo), judged from the copy folder and the files as they are; changes nothing. A
// JPEG's copy (the copy folder's file of the photo's name) is put back only over the same photo
// with nothing changed but its position (DifferenceBesidePosition). A sidecar's copy is put back
// only where the copy folder's record names it as this photo's, the copy is still the one
// recorded, and the sidecar holds the copy's properties but for its position; a sidecar the
// record says a run made is taken away while it holds nothing but a position. Two names of one
// photo or sidecar are restored once.
RestorePlan PlanRestore(const std::string& copyFolder, const std::vector<std::string>& photos,
                        ProgressSink& progress);

// The same for every photo file of folder, with the copy folder's files that no photo of the
// folder accounts for as strays.
RestorePlan PlanFolderRestore(const std::string& copyFolder, const std::string& folder,
                              ProgressSink& progress);

// Does what the plan says, file by file: each copy read and written beside the file it replaces,
// flushed, put in its place by one rename while the file is still as it was checked (else it is
// refused and left as another program made it), the folder flushed; the file keeps its owner,
// mode and attributes. The copy folder is never written. Folders are locked against other runs
// of the program. What could not be done becomes Refused with the reason; what an abort left
// undone too.
void CarryOut(RestorePlan& plan, ProgressSink& progress);

struct RestoreCounts {
    int photos = 0;    // photo files restored
    int sidecars = 0;  // sidecars restored
    int removed = 0;   // sidecars a run made, removed
    int refused = 0;   // photos with a file refused
    int nothing = 0;   // photos with nothing to restore

    friend bool operator==(const RestoreCounts&, const RestoreCounts&) = default;
};

// The counts of a plan, or of a plan carried out.
RestoreCounts CountsOf(const RestorePlan& plan);

// "2 photos and 1 sidecar restored, 1 sidecar removed, 1 photo refused, 3 with nothing to
// restore"; with planned, what would be.
std::string RestoreCountsText(const RestoreCounts& counts, bool planned);

}  // namespace geotal
