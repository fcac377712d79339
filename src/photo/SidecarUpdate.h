// Writing positions into sidecars with the care a photo gets: the folder locked against other
// runs, what a killed write left cleaned up, the old sidecar backed up, each sidecar once.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "files/FolderLocks.h"
#include "photo/PhotoWriter.h"
#include "photo/SidecarLedger.h"
#include "support/GeoPosition.h"

namespace geotal {

// Removes the unfinished new files a killed write of the sidecar at path left beside it, and
// only those; for a folder this run holds locked.
void RemoveLeftoverSidecarFiles(const std::string& sidecar);

class SidecarUpdate {
public:
    // locks: the run's folder locks, shared with its photo writes. copyFolder: where an existing
    // sidecar is backed up before its first change, when copies are asked for.
    SidecarUpdate(FolderLocks& locks, std::optional<std::string> copyFolder);

    // Writes the position into the sidecar for the photo at photoPath (the name messages use),
    // which must be a regular file that holds something. A symbolic link to a sidecar is
    // followed: its target is written and the link stays. A sidecar this update already wrote,
    // under this name or another that names the same file (letter case on a memory card), is
    // not written again: the same position gives the first outcome again, another one is
    // refused, as one file cannot hold two positions. A sidecar the user may not change, or
    // with several names, is refused as such a photo is. No position takes the sidecar's out;
    // where the photo file itself holds one, which is never changed, nothing is, and the
    // outcome says why; where there is no sidecar, none is made.
    WriteOutcome Write(const std::string& photoPath, const std::string& sidecar,
                       const MaybePosition& position);

private:
    struct Written {
        std::string photo;
        std::string sidecar;  // the file written, its links followed
        MaybePosition position;
        WriteOutcome outcome;
        std::optional<SidecarOrigin> origin;  // what the copy folder's record says of it
        std::uint64_t copy = 0;               // the copy's hash, where there is one
    };

    WriteOutcome WriteOnce(const std::string& photoPath, const std::string& sidecar,
                           const MaybePosition& position, Written& written);
    WriteOutcome Backup(const std::string& photoPath, const std::string& sidecar, Written& written);
    const Written* AlreadyWritten(const std::string& sidecar) const;
    void RecordShared(const std::string& photoPath, const Written& first);

    FolderLocks& locks_;
    std::optional<std::string> copyFolder_;
    std::optional<SidecarLedger> ledger_;
    std::vector<Written> written_;
    // The sidecars written, by folder and name in lower case: the only ones a name can share
    // a file with.
    std::multimap<std::string, std::size_t> byFoldedName_;
};

}  // namespace geotal
