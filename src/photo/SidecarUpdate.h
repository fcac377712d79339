// Writing positions into sidecars with the care a photo gets: the folder locked against other
// runs, what a killed write left cleaned up, the old sidecar backed up, each sidecar once.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "photo/FolderLocks.h"
#include "photo/PhotoWriter.h"
#include "support/GeoPosition.h"

namespace geotal {

// Whether two sidecars differ in their GPS properties alone: an earlier and a later version of
// one sidecar, as this program writes it.
bool AreVersionsOfOneSidecar(const std::string& a, const std::string& b);

// Removes the unfinished new files a killed write of the sidecar at path left beside it, and
// only those; for a folder this run holds locked.
void RemoveLeftoverSidecarFiles(const std::string& sidecar);

class SidecarUpdate {
public:
    // locks: the run's folder locks, shared with its photo writes. copyFolder: where an existing
    // sidecar is backed up before its first change, when copies are asked for.
    SidecarUpdate(FolderLocks& locks, std::optional<std::string> copyFolder);

    // Writes the position into the sidecar for the photo at photoPath (the name messages use).
    // A sidecar this update already wrote is not written again: the same position gives the
    // first outcome again, another one is refused, as one file cannot hold two positions.
    WriteOutcome Write(const std::string& photoPath, const std::string& sidecar,
                       const GeoPosition& position);

private:
    WriteOutcome WriteOnce(const std::string& photoPath, const std::string& sidecar,
                           const GeoPosition& position);
    WriteOutcome Backup(const std::string& sidecar);

    struct Written {
        std::string photo;
        GeoPosition position;
        WriteOutcome outcome;
    };

    FolderLocks& locks_;
    std::optional<std::string> copyFolder_;
    std::map<std::string, Written> written_;  // by sidecar path
};

}  // namespace geotal
