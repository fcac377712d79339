#include "photo/PhotoBatch.h"

#include <fcntl.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>

#include "files/FileOperations.h"
#include "files/PhotoFile.h"
#include "metadata/Exiv2Metadata.h"
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
    : writer_(writer), done_(std::move(done)), limits_(limits), flushing_(limits_.flush) {
    if (limits_.preparers > 1) {
        // Before any preparer starts: the library's set-up must not race.
        InitMetadataLibrary();
    }
}

PhotoBatch::~PhotoBatch() {
    try {
        Commit();
    } catch (...) {
        // Nothing can be passed on from here, and the preparers must still be stopped. A new
        // file not put in place stays beside its photo, which the next write of it repairs.
        Trace("  The batch could not be committed as it ended");
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    workWaiting_.notify_all();
    for (std::thread& preparer : preparers_) {
        preparer.join();
    }
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

bool PhotoBatch::ClashesWithPrepared(const Job& job) const {
    // The temporary names as SharesTemporaryName compares them: one photo's repair would remove
    // or rename the other's new file while it is written. And the backups' names, which are the
    // names the user gave, by file name: the first photo of a name keeps the backup, as one by
    // one, rather than whichever copy finished first.
    const std::string name = FileNameOf(job.newName);
    const bool copies = writer_.CopyFolder().has_value();
    for (const std::shared_ptr<Job>& other : handedOver_) {
        if (MayNameTheSameFile(FileNameOf(other->newName), name) ||
            (copies && MayNameTheSameFile(FileNameOf(other->path), FileNameOf(job.path)))) {
            return true;
        }
    }
    return false;
}

void PhotoBatch::Add(std::size_t ticket, const std::string& path, const MaybePosition& position) {
    const std::shared_ptr<Job> job = std::make_shared<Job>();
    job->ticket = ticket;
    job->path = path;
    job->position = position;
    job->trace.swap(traceNext_);
    std::optional<WriteOutcome> refused;
    bool copiesTaken = false;
    const std::optional<std::string> copyFolder = writer_.CopyFolder();
    job->photo = FollowLinks(path);
    job->newName = TemporaryNameOf(job->photo, "_newGeotal");
    {
        // Traced with the photo's other lines, when it is taken in.
        TraceCapture capture(job->trace);
        Trace("Start PutFileLongLat");
        std::string why;
        const FolderLocks::Result folder = locks_.Lock(FolderOf(job->photo), why);
        const FolderLocks::Result copies = copyFolder && folder != FolderLocks::Result::Busy
                                               ? locks_.Lock(*copyFolder, why)
                                               : FolderLocks::Result::AlreadyHeld;
        if (folder == FolderLocks::Result::Busy || copies == FolderLocks::Result::Busy) {
            // The whole run is refused, once, rather than each of its photos.
            refused = WriteOutcome{WriteResult::StopRun, WriteCode::FolderBusy,
                                   "Error writing file : " + path + " (" + why + ")\n"};
        } else if (const std::optional<FileIdentity> identity =
                       IsTemporaryName(FileNameOf(job->photo))
                           ? std::nullopt  // refused as no photo by the writer, whatever it is
                           : IdentityOf(job->photo)) {
            // A second name of a photo already written in this run: written again, its backup
            // would be the first write's result and its first position silently replaced.
            const auto [seen, first] =
                seen_.emplace(std::make_pair(identity->device, identity->inode), path);
            if (!first) {
                refused = WriteOutcome{WriteResult::Failed, WriteCode::SamePhotoTwice,
                                       "Error writing file : " + path + " (the same photo as " +
                                           seen->second + ", which this run already wrote)\n"};
            }
        }
        copiesTaken = !refused && copies == FolderLocks::Result::Locked;
    }
    // One at a time: where an outcome is known now, so that it is reported after the photos
    // before it; where partial copies are to be removed, as a photo being prepared may be
    // writing one; where the position is out of range, as that stops the run at this photo; and
    // on a disk short of room, where two new files at once could take the room of one.
    const bool oneAtATime =
        refused || copiesTaken || limits_.preparers <= 1 || oneAtATime_ ||
        (position &&
         CheckPositionRange(position->latitude, position->longitude) != WriteCode::None) ||
        IsShortOfSpace(FolderOf(job->photo), limits_.bytes);
    if (oneAtATime || ClashesWithPrepared(*job)) {
        while (!handedOver_.empty()) {
            TakeInOldest();
        }
    }
    if (oneAtATime) {
        // Its lines from here on go straight to the trace, as the photos before it are in.
        TraceLines(job->trace);
        job->trace.clear();
    }
    if (refused) {
        Report(ticket, *refused);
        return;
    }
    if (copiesTaken) {
        // Held by this run alone now: any partial copy there is a killed run's.
        RemovePartialCopies(*copyFolder);
    }
    if (SharesTemporaryName(job->photo)) {
        CommitPending();
    }
    if (oneAtATime || !StartPreparers()) {
        TraceLines(job->trace);  // with no thread to start, taken in as if one at a time
        job->trace.clear();
        PrepareHere(*job);
        return;
    }
    while (handedOver_.size() >= kAhead) {
        TakeInOldest();
    }
    job->handedOver = true;
    handedOver_.push_back(job);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(job);
    }
    workWaiting_.notify_one();
    TakeInPrepared();
}

void PhotoBatch::PrepareHere(Job& job) {
    if (pending_.empty() && IsShortOfSpace(FolderOf(job.photo), limits_.bytes)) {
        // The photos the last batch replaced give their space back only once closed; on a disk
        // this full the new batch's files need it, at their writing or at their flush.
        replaced_.Drain();
    }
    job.outcome = writer_.Prepare(job.path, job.photo, job.position, job.prepared);
    TakeIn(job);
}

void PhotoBatch::TakeIn(Job& job) {
    TraceLines(job.trace);
    if (job.thrown) {
        std::rethrow_exception(job.thrown);
    }
    if (job.again) {
        // Made while another photo's new file took the room it needed: made again, in turn.
        job.prepared = {};
        job.outcome = writer_.Prepare(job.path, job.photo, job.position, job.prepared);
    }
    if (job.outcome.systemError == ENOSPC && (!pending_.empty() || job.handedOver)) {
        // The pending new files fill the disk: once in place they give the old photos' space
        // back. Smaller batches from here on, down to one photo, prepared one at a time. The
        // photos prepared beside this one may have taken its room too: once they are done,
        // their new files are given up and each is made again in its turn, as one by one.
        oneAtATime_ = true;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            prepared_.wait(lock, [this] {
                return std::all_of(handedOver_.begin(), handedOver_.end(),
                                   [](const std::shared_ptr<Job>& other) { return other->done; });
            });
        }
        for (const std::shared_ptr<Job>& other : handedOver_) {
            if (!other->thrown && other->outcome.code == WriteCode::None &&
                !other->prepared.newName.empty()) {
                RemoveIfOurs(other->prepared.newName, other->prepared.newFile);
            }
            other->again = true;
        }
        Trace("  No space left: committing the batch so far");
        CommitPending();
        replaced_.Drain();  // the old photos' space is free only once they are closed
        limits_.photos = std::max<std::size_t>(1, limits_.photos / 2);
        job.prepared = {};
        job.outcome = writer_.Prepare(job.path, job.photo, job.position, job.prepared);
    }
    if (job.outcome.code != WriteCode::None || job.prepared.newName.empty()) {
        Report(job.ticket, job.outcome);  // failed, or done: the photo already held the position
        return;
    }
    pendingBytes_ += job.prepared.bytes;
    flushing_.Add(job.prepared.newName);
    pending_.push_back({job.ticket, std::move(job.prepared)});
    if (pending_.size() >= limits_.photos || pendingBytes_ >= limits_.bytes) {
        CommitPending();
    }
}

void PhotoBatch::TakeInOldest() {
    const std::shared_ptr<Job> job = handedOver_.front();
    {
        std::unique_lock<std::mutex> lock(mutex_);
        prepared_.wait(lock, [&job] { return job->done; });
    }
    handedOver_.pop_front();
    TakeIn(*job);
}

void PhotoBatch::TakeInPrepared() {
    while (!handedOver_.empty()) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!handedOver_.front()->done) {
                return;
            }
        }
        TakeInOldest();
    }
}

void PhotoBatch::Settle() {
    while (!handedOver_.empty()) {
        TakeInOldest();
    }
}

bool PhotoBatch::StartPreparers() {
    while (preparers_.size() < limits_.preparers) {
        try {
            preparers_.emplace_back([this] { RunPreparer(); });
        } catch (...) {
            break;
        }
    }
    return !preparers_.empty();
}

void PhotoBatch::RunPreparer() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        workWaiting_.wait(lock, [this] { return ending_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return;  // ending, with nothing left to prepare
        }
        const std::shared_ptr<Job> job = waiting_.front();
        waiting_.pop_front();
        lock.unlock();
        {
            // Its lines go with it, to be traced where it is taken in.
            TraceCapture capture(job->trace);
            try {
                job->outcome = writer_.Prepare(job->path, job->photo, job->position, job->prepared);
            } catch (...) {
                job->thrown = std::current_exception();
            }
        }
        lock.lock();
        job->done = true;
        // Only the calling thread waits for this.
        prepared_.notify_all();
    }
}

void PhotoBatch::Commit() {
    Settle();
    CommitPending();
}

void PhotoBatch::CommitPending() {
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
