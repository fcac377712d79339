#include "photo/PhotoBatch.h"

#include <fcntl.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>

#include "files/FileOperations.h"
#include "files/PhotoFile.h"
#include "photo/PhotoPaths.h"
#include "support/SystemError.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

// Whether the folder's file system has less room than a batch may take.
bool IsShortOfSpace(const std::string& folder, std::size_t batchBytes) {
    struct statvfs space {};
    if (::statvfs(folder.empty() ? "." : folder.c_str(), &space) != 0) {
        return true;  // unknown: as careful as a full disk
    }
    return static_cast<unsigned long long>(space.f_bavail) * space.f_frsize < 2ull * batchBytes;
}

}  // namespace

PhotoBatch::PhotoBatch(PhotoWriter& writer, OutcomeSink done, BatchLimits limits)
    : writer_(writer), done_(std::move(done)), limits_(limits), flushing_(limits_.flush) {}

PhotoBatch::~PhotoBatch() {
    Commit();
}

bool PhotoBatch::SharesTemporaryName(const std::string& photo) const {
    // By file name alone: a.b.jpg and a.c.jpg share a_newGeotal.jpg, the same folder can be
    // spelt two ways, and on a memory card IMG_1.JPG and IMG_1.x.jpg share IMG_1_newGeotal.jpg
    // as the card ignores case. Committing early costs a flush; a repair removing a pending
    // file, or one photo's new file renamed over another, would cost a photo.
    const std::string name = FileNameOf(TemporaryNameOf(photo, "_newGeotal"));
    for (const Pending& pending : pending_) {
        if (MayNameTheSameFile(FileNameOf(pending.prepared.newName), name)) {
            return true;
        }
    }
    return false;
}

void PhotoBatch::Add(std::size_t ticket, const std::string& path, const MaybePosition& position) {
    Trace("Start PutFileLongLat");
    const std::string photo = FollowLinks(path);
    std::string why;
    const std::optional<std::string> copyFolder = writer_.CopyFolder();
    const FolderLocks::Result folder = locks_.Lock(FolderOf(photo), why);
    const FolderLocks::Result copies = copyFolder && folder != FolderLocks::Result::Busy
                                           ? locks_.Lock(*copyFolder, why)
                                           : FolderLocks::Result::AlreadyHeld;
    if (folder == FolderLocks::Result::Busy || copies == FolderLocks::Result::Busy) {
        // The whole run is refused, once, rather than each of its photos.
        Report(ticket, {WriteResult::StopRun, WriteCode::FolderBusy,
                        "Error writing file : " + path + " (" + why + ")\n"});
        return;
    }
    if (const std::optional<FileIdentity> identity = IdentityOf(photo)) {
        // A second name of a photo already written in this run: written again, its backup
        // would be the first write's result and its first position silently replaced.
        const auto [seen, first] =
            seen_.emplace(std::make_pair(identity->device, identity->inode), path);
        if (!first) {
            Report(ticket, {WriteResult::Failed, WriteCode::SamePhotoTwice,
                            "Error writing file : " + path + " (the same photo as " + seen->second +
                                ", which this run already wrote)\n"});
            return;
        }
    }
    if (copies == FolderLocks::Result::Locked) {
        // Held by this run alone now: any partial copy there is a killed run's.
        RemovePartialCopies(*copyFolder);
    }
    if (SharesTemporaryName(photo)) {
        Commit();
    }
    if (pending_.empty() && IsShortOfSpace(FolderOf(photo), limits_.bytes)) {
        // The photos the last batch replaced give their space back only once closed; on a disk
        // this full the new batch's files need it, at their writing or at their flush.
        replaced_.Drain();
    }
    PreparedPhoto prepared;
    WriteOutcome outcome = writer_.Prepare(path, photo, position, prepared);
    if (outcome.systemError == ENOSPC && !pending_.empty()) {
        // The pending new files fill the disk: once in place they give the old photos' space
        // back. Smaller batches from here on, down to one photo.
        Trace("  No space left: committing the batch so far");
        Commit();
        replaced_.Drain();  // the old photos' space is free only once they are closed
        limits_.photos = std::max<std::size_t>(1, limits_.photos / 2);
        outcome = writer_.Prepare(path, photo, position, prepared);
    }
    if (outcome.code != WriteCode::None || prepared.newName.empty()) {
        Report(ticket, outcome);  // failed, or done: the photo already held the position
        return;
    }
    pendingBytes_ += prepared.bytes;
    flushing_.Add(prepared.newName);
    pending_.push_back({ticket, std::move(prepared)});
    if (pending_.size() >= limits_.photos || pendingBytes_ >= limits_.bytes) {
        Commit();
    }
}

void PhotoBatch::Commit() {
    if (pending_.empty()) {
        return;
    }
    const std::vector<int> flushErrors = flushing_.Results();
    // The backups' names, before any photo changes: a backup whose folder entry a power cut
    // could take away is no backup.
    std::string copiesError;
    if (const std::optional<std::string> copies = writer_.CopyFolder();
        copies && !limits_.flushFolder(*copies)) {
        copiesError = SystemErrorText("Cannot flush the copy folder", *copies);
    }
    std::vector<WriteOutcome> outcomes;
    std::set<std::string> folders;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        const PreparedPhoto& prepared = pending_[i].prepared;
        // Only a new file known to be on disk may take the photo's name.
        if (!copiesError.empty()) {
            RemoveIfOurs(prepared.newName, prepared.newFile);
            outcomes.push_back({WriteResult::Failed, WriteCode::CopyFailed,
                                "Error copying file : " + prepared.path + " (" + copiesError +
                                    "; the photo was left as it was)\n"});
        } else {
            // Read only, and only to keep: a photo the swap replaces is freed by its close.
            const int photo =
                ::open(prepared.photo.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            outcomes.push_back(flushErrors[i] == 0 ? SwapInPrepared(prepared)
                                                   : DiscardUnflushed(prepared, flushErrors[i]));
            replaced_.Close(photo);
        }
        folders.insert(FolderOf(prepared.photo));
    }
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        if (outcomes[i].code == WriteCode::None) {  // the photo is the new file now
            const FileIdentity& now = pending_[i].prepared.newFile;
            seen_.emplace(std::make_pair(now.device, now.inode), pending_[i].prepared.path);
        }
    }
    // The renames themselves: without this a power cut could bring back the old photos.
    for (const std::string& folder : folders) {
        if (limits_.flushFolder(folder)) {
            continue;
        }
        const std::string error = SystemErrorText("Cannot flush the folder", folder);
        for (std::size_t i = 0; i < pending_.size(); ++i) {
            if (outcomes[i].code == WriteCode::None &&
                FolderOf(pending_[i].prepared.photo) == folder) {
                outcomes[i] = {WriteResult::Failed, WriteCode::FolderFlushFailed,
                               "Error writing file : " + pending_[i].prepared.path + " (" + error +
                                   "; the new version may not survive a power cut)\n"};
            }
        }
    }
    std::vector<Pending> reported;
    reported.swap(pending_);
    pendingBytes_ = 0;
    for (std::size_t i = 0; i < reported.size(); ++i) {
        Report(reported[i].ticket, outcomes[i]);
    }
}

void PhotoBatch::Report(std::size_t ticket, const WriteOutcome& outcome) {
    TraceFailure(outcome);
    Trace("End PutFileLongLat");
    if (done_) {
        done_(ticket, outcome);
    }
}

}  // namespace geotal
