#include "photo/SidecarUpdate.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "photo/FileOperations.h"
#include "photo/FileReplacement.h"
#include "photo/PhotoPaths.h"
#include "photo/SidecarGpsEdit.h"
#include "photo/SidecarWriter.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

const WriteOutcome kGoOn = {WriteResult::Written, WriteCode::None, {}};

std::optional<std::string> ReadPacket(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string packet{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad()) {
        return std::nullopt;
    }
    return packet;
}

}  // namespace

bool AreVersionsOfOneSidecar(const std::string& a, const std::string& b) {
    const std::optional<std::string> first = ReadPacket(a);
    const std::optional<std::string> second = ReadPacket(b);
    return first && second && !first->empty() && !second->empty() &&
           SamePropertiesBesideGps(*first, *second);
}

void RemoveLeftoverSidecarFiles(const std::string& sidecar) {
    const std::string folder = FolderOf(sidecar).empty() ? "." : FolderOf(sidecar);
    const std::string name = FileNameOf(sidecar);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;  // the write itself will say what is wrong with the folder
    }
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsUniqueNameBeside(entry->d_name, name)) {
            leftovers.push_back(folder + "/" + entry->d_name);
        }
    }
    ::closedir(dir);
    for (const std::string& leftover : leftovers) {
        // The sidecar itself was never replaced by it: the old content is whole where it is.
        struct stat status {};
        if (::lstat(leftover.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::unlink(leftover.c_str()) == 0) {
            TraceValue("  Removed an unfinished sidecar", leftover);
        }
    }
}

SidecarUpdate::SidecarUpdate(FolderLocks& locks, std::optional<std::string> copyFolder)
    : locks_(locks), copyFolder_(std::move(copyFolder)) {}

WriteOutcome SidecarUpdate::Write(const std::string& photoPath, const std::string& sidecar,
                                  const GeoPosition& position) {
    if (const auto done = written_.find(sidecar); done != written_.end()) {
        if (done->second.position == position) {
            return done->second.outcome;
        }
        return {WriteResult::Failed, WriteCode::SidecarShared,
                "Error writing sidecar : " + photoPath + " (" + sidecar + " is shared with " +
                    done->second.photo +
                    ", which this run gave another position; one sidecar holds one position, so "
                    "name sidecars after the whole file name or give both photos one position)\n"};
    }
    WriteOutcome outcome = WriteOnce(photoPath, sidecar, position);
    written_.emplace(sidecar, Written{photoPath, position, outcome});
    return outcome;
}

WriteOutcome SidecarUpdate::WriteOnce(const std::string& photoPath, const std::string& sidecar,
                                      const GeoPosition& position) {
    TraceValue("Save to sidecar", sidecar);
    std::string why;
    const FolderLocks::Result folder = locks_.Lock(FolderOf(sidecar), why);
    const FolderLocks::Result copies = copyFolder_ && folder != FolderLocks::Result::Busy
                                           ? locks_.Lock(*copyFolder_, why)
                                           : FolderLocks::Result::AlreadyHeld;
    if (folder == FolderLocks::Result::Busy || copies == FolderLocks::Result::Busy) {
        return {WriteResult::StopRun, WriteCode::FolderBusy,
                "Error writing sidecar : " + photoPath + " (" + why + ")\n"};
    }
    if (copies == FolderLocks::Result::Locked) {
        // Held by this run alone now: any partial copy there is a killed run's.
        RemovePartialCopies(*copyFolder_);
    }
    if (folder != FolderLocks::Result::Unopenable) {
        RemoveLeftoverSidecarFiles(sidecar);
    }
    if (copyFolder_) {
        if (WriteOutcome backup = Backup(sidecar); backup.code != WriteCode::None) {
            backup.message = "Error copying sidecar : " + photoPath + " (" + backup.message + ")\n";
            return backup;
        }
    }
    WriteOutcome outcome = WriteSidecarFile(sidecar, position);
    if (outcome.result != WriteResult::Written && !outcome.message.empty() &&
        outcome.message.back() != '\n') {
        outcome.message += '\n';
    }
    return outcome;
}

WriteOutcome SidecarUpdate::Backup(const std::string& sidecar) {
    struct stat status {};
    if (::stat(sidecar.c_str(), &status) != 0) {
        return kGoOn;  // a new sidecar: nothing to keep
    }
    const std::string backup = *copyFolder_ + "/" + FileNameOf(sidecar);
    std::string error;
    switch (CopyFileNoReplace(sidecar, backup, error)) {
        case CopyResult::Copied:
        case CopyResult::AlreadyThere:
            return kGoOn;
        case CopyResult::OtherFileThere:
            if (AreVersionsOfOneSidecar(backup, sidecar)) {
                // A second pass: the backup is this sidecar before its first position, and stays.
                TraceValue("  Kept the earlier version as the backup", backup);
                return kGoOn;
            }
            return {
                WriteResult::Failed, WriteCode::BackupExists,
                backup + " is already there and is another sidecar; a backup is never replaced"};
        case CopyResult::Failed:
            break;
    }
    return {WriteResult::Failed, WriteCode::CopyFailed, error};
}

}  // namespace geotal
