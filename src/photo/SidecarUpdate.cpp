#include "photo/SidecarUpdate.h"

#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "files/FileIdentity.h"
#include "files/FileOperations.h"
#include "files/FileReplacement.h"
#include "files/PhotoFile.h"
#include "files/ReplaceFile.h"
#include "metadata/SidecarGpsEdit.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoPaths.h"
#include "photo/SidecarWriter.h"
#include "support/AsciiText.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

const WriteOutcome kGoOn = {WriteResult::Written, WriteCode::None, {}};

WriteOutcome Refused(WriteCode code, const std::string& photoPath, const std::string& why) {
    return {WriteResult::Failed, code, "Error writing sidecar : " + photoPath + " (" + why + ")\n"};
}

// The folder, its links resolved, and the name in lower case: one key for every spelling of a
// name that a file system ignoring case takes for one file.
std::string FoldedKey(const std::string& path) {
    std::string folder = FolderOf(path).empty() ? "." : FolderOf(path);
    if (char* real = ::realpath(folder.c_str(), nullptr)) {
        folder = real;
        ::free(real);
    }
    std::string name = FileNameOf(path);
    for (char& c : name) {
        c = AsciiLower(c);
    }
    return folder + "/" + name;
}

// Why no position goes to a sidecar for what is at photoPath; empty for a regular file that
// holds something. A position is for a photo: not a folder, pipe or device, nor an empty file
// such as the kernel's own files.
std::string NotAPhotoFile(const std::string& photoPath) {
    if (std::string reason = UnreadableReason(photoPath); !reason.empty()) {
        return reason;
    }
    struct stat status {};
    return ::stat(photoPath.c_str(), &status) == 0 && status.st_size == 0 ? "an empty file" : "";
}

std::optional<std::string> ReadPacket(const std::string& path) {
    std::string packet;
    ReadState ignored;
    if (!ReadForReplacement(path, packet, ignored)) {
        return std::nullopt;
    }
    return packet;
}

}  // namespace

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
    : locks_(locks), copyFolder_(std::move(copyFolder)) {
    if (copyFolder_) {
        ledger_.emplace(*copyFolder_);
    }
}

const SidecarUpdate::Written* SidecarUpdate::AlreadyWritten(const std::string& sidecar) const {
    const auto [first, last] = byFoldedName_.equal_range(FoldedKey(sidecar));
    for (auto it = first; it != last; ++it) {
        const Written& written = written_[it->second];
        if (written.sidecar == sidecar || AreOneFile(written.sidecar, sidecar)) {
            return &written;
        }
    }
    return nullptr;
}

WriteOutcome SidecarUpdate::Write(const std::string& photoPath, const std::string& sidecar,
                                  const MaybePosition& position) {
    if (const std::string reason = NotAPhotoFile(photoPath); !reason.empty()) {
        return Refused(WriteCode::NoExif, photoPath,
                       reason + "; a position goes only to the sidecar of a photo file");
    }
    if (!position && ReadOwnPosition(photoPath)) {
        // Taken out of the sidecar, the position would only give way to the photo's own.
        return Refused(WriteCode::OwnFilePosition, photoPath,
                       "the photo file itself holds a position, and only its sidecar is ever "
                       "written; nothing was removed");
    }
    if (struct stat status{};
        !position && ::stat(sidecar.c_str(), &status) != 0 && errno == ENOENT) {
        // No sidecar, so no position to take out of one; none is made, nor recorded as made.
        WriteOutcome outcome = kGoOn;
        outcome.unchanged = true;
        return outcome;
    }
    const std::string target = FollowLinks(sidecar);
    if (const Written* done = AlreadyWritten(target)) {
        if (done->position == position) {
            RecordShared(photoPath, *done);
            return done->outcome;
        }
        return Refused(WriteCode::SidecarShared, photoPath,
                       sidecar + " is shared with " + done->photo +
                           ", which this run gave another position; one sidecar holds one "
                           "position, so name sidecars after the whole file name or give both "
                           "photos one position");
    }
    Written written{photoPath, target, position, {}, {}};
    written.outcome = WriteOnce(photoPath, target, position, written);
    byFoldedName_.emplace(FoldedKey(target), written_.size());
    written_.push_back(std::move(written));
    return written_.back().outcome;
}

// A second photo given the same position for a sidecar already written: its record too, so
// that a later run finds the copy whichever photo of the pair comes first.
void SidecarUpdate::RecordShared(const std::string& photoPath, const Written& first) {
    SidecarLedger::Entry entry;
    std::string why;
    if (!ledger_ || !first.origin || !FingerprintOf(photoPath, entry.photo, why)) {
        return;
    }
    entry.origin = *first.origin;
    entry.name = FileNameOf(first.sidecar);
    entry.copy = first.copy;
    if (!ledger_->Record(entry, why)) {
        TraceValue("  Not recorded", why);
    }
}

WriteOutcome SidecarUpdate::WriteOnce(const std::string& photoPath, const std::string& sidecar,
                                      const MaybePosition& position, Written& written) {
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
    std::string reason;
    switch (CheckChangeable(sidecar, reason)) {
        case Changeable::Yes:
            break;
        case Changeable::NotForUser:
            return Refused(WriteCode::NotForUser, photoPath,
                           sidecar + ": " + reason + ": this user may not change the sidecar");
        case Changeable::SeveralNames:
            return Refused(WriteCode::SeveralNames, photoPath,
                           sidecar + " has " + reason +
                               " hard links; a changed copy would part it from its "
                               "other names");
    }
    if (copyFolder_) {
        if (WriteOutcome backup = Backup(photoPath, sidecar, written);
            backup.code != WriteCode::None) {
            backup.message = "Error copying sidecar : " + photoPath + " (" + backup.message + ")\n";
            return backup;
        }
    }
    WriteOutcome outcome = WriteSidecarFile(sidecar, position);
    if (outcome.result != WriteResult::Written) {
        outcome.message = "Error writing sidecar : " + photoPath + " (" + outcome.message + ")\n";
    }
    return outcome;
}

// Keeps in the copy folder what the sidecar was before any run changed it, and records which
// photo it belongs to; a sidecar a run made is recorded as such, and never copied, as nothing
// was there before. A file of the sidecar's name there that is not provably this photo's
// sidecar is never replaced, and the sidecar is not written.
WriteOutcome SidecarUpdate::Backup(const std::string& photoPath, const std::string& sidecar,
                                   Written& written) {
    SidecarLedger::Entry entry;
    entry.name = FileNameOf(sidecar);
    const std::string backup = *copyFolder_ + "/" + entry.name;
    std::string error;
    if (!FingerprintOf(photoPath, entry.photo, error)) {
        return {WriteResult::Failed, WriteCode::CopyFailed, error};
    }
    const std::optional<SidecarLedger::Entry> recorded = ledger_->Find(entry.name, entry.photo);
    const auto record = [&](SidecarOrigin origin) -> WriteOutcome {
        entry.origin = origin;
        written.origin = origin;
        if (origin == SidecarOrigin::Copied) {
            entry.copy = ContentHashOf(backup).value_or(0);
        }
        written.copy = entry.copy;
        if (!ledger_->Record(entry, error)) {
            return {WriteResult::Failed, WriteCode::CopyFailed, error};
        }
        return kGoOn;
    };
    struct stat status {};
    if (::stat(sidecar.c_str(), &status) != 0 && errno == ENOENT) {
        // No sidecar yet: the record comes first, so that a rerun after a kill finds the
        // sidecar this run makes to be a run's, and copies nothing.
        return record(SidecarOrigin::Made);
    }
    // Made by a run and holding nothing another program added: nothing to keep a copy of.
    const std::optional<std::string> packet = ReadPacket(sidecar);
    if (recorded && recorded->origin == SidecarOrigin::Made && packet &&
        HoldsOnlyGpsProperties(*packet)) {
        written.origin = SidecarOrigin::Made;
        TraceValue("  Made by an earlier run, so no copy", sidecar);
        return kGoOn;
    }
    switch (CopyFileNoReplace(sidecar, backup, error)) {
        case CopyResult::Copied:
        case CopyResult::AlreadyThere:
            return record(SidecarOrigin::Copied);
        case CopyResult::OtherFileThere:
            // A second pass: the copy is this photo's sidecar before its first change, as made.
            if (recorded && recorded->origin == SidecarOrigin::Copied &&
                ContentHashOf(backup) == recorded->copy) {
                written.origin = SidecarOrigin::Copied;
                written.copy = recorded->copy;
                TraceValue("  Kept the earlier version as the backup", backup);
                return kGoOn;
            }
            return {WriteResult::Failed, WriteCode::BackupExists,
                    backup +
                        " is already there and is not recorded as this photo's sidecar; a backup "
                        "is never replaced"};
        case CopyResult::Failed:
            break;
    }
    return {WriteResult::Failed, WriteCode::CopyFailed, error};
}

}  // namespace geotal
