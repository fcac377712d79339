// Group commit: photos rewritten into their new files on two threads, each new file flushed on
// other threads as soon as it is made, so that the disk works while the next ones are made; a
// batch is put in place once all of its new files are on disk.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "files/FlushFiles.h"
#include "files/FolderLocks.h"
#include "photo/PhotoWriter.h"
#include "support/CloseLater.h"

namespace geotal {

// How much a batch holds before it is committed: its new files are extra space on the disk
// until then, and too many would run out of file descriptors in the flush.
struct BatchLimits {
    std::size_t bytes = 64u << 20;
    std::size_t photos = 256;
    // Not syncfs, though it measured a little faster alone (bench/PhotoBench.cpp): it also
    // waits for everything else waiting on that file system, so on a busy disk a batch can take
    // as long as someone else's copy. fsync, not fdatasync: the owner, mode and attributes
    // copied onto the new file must be on disk with it. The benchmark puts the others here.
    // Called with one new file at a time, from the threads that flush ahead.
    std::function<std::vector<int>(const std::vector<std::string>&)> flush = FlushFiles;
    std::function<bool(const std::string&)> flushFolder = FlushFolder;
    // How many threads prepare new files (read, edit, write, read back): one prepares each
    // photo on the calling thread as it is added, more prepare them on threads of their own
    // while the caller goes on adding, collecting and committing.
    std::size_t preparers = 2;
};

// Receives each photo's outcome, once, with the ticket it was added with.
using OutcomeSink = std::function<void(std::size_t ticket, const WriteOutcome& outcome)>;

// Writes photos through a PhotoWriter, committing them in batches: every new file of a batch is
// flushed to disk first (each flush started when its photo is added), and the copy folder when
// backups are made; then each one is renamed over its photo, then each folder is flushed. A flush
// that fails fails the photos it was for. A photo is therefore replaced only by a new file already
// on disk, and holds its old or its new content whenever the process stops. A photo that fails
// leaves the others of its batch to be written and stays as it was. Each photo's folder is locked
// against other runs first; a folder another run holds fails its photos with a message that says
// so.
//
// With more than one preparer, Add checks the photo (folder locks, a second name of a photo
// already written, a temporary name another photo pending or being prepared shares) on the
// calling thread and hands it over to be prepared; it waits only while kAhead photos are handed
// over and not yet taken in. Photos are taken in, in the order they were added, on the calling
// thread, in Add, Settle and Commit: outcomes reach done there, once for each ticket, in the
// order one preparer would give them. Two photos whose backups would have one name are never
// prepared together, nor two whose temporary names could be one file. Where the disk is short of
// room, a photo out of range, or a folder newly locked, photos are prepared one at a time.
class PhotoBatch {
public:
    PhotoBatch(PhotoWriter& writer, OutcomeSink done, BatchLimits limits = {});
    // Commits what is still pending: no new file is ever left behind.
    ~PhotoBatch();
    PhotoBatch(const PhotoBatch&) = delete;
    PhotoBatch& operator=(const PhotoBatch&) = delete;

    // Writes the photo's new file. A failure is reported at once; a success when the batch
    // that holds the photo is committed, which happens here when the batch is full. The trace
    // shows "Start PutFileLongLat" here and "End PutFileLongLat" when the photo is reported, so
    // in a batch the photos' starts come first and their ends at the commit.
    // No position takes the photo's position out.
    void Add(std::size_t ticket, const std::string& path, const MaybePosition& position);
    void Add(std::size_t ticket, const std::string& path, const GeoPosition& position) {
        Add(ticket, path, MaybePosition(position));
    }

    // Takes in every photo handed over (their preparation done), then flushes the pending new
    // files, swaps each in, flushes their folders and reports them.
    void Commit();

    // Waits until every photo handed over is prepared and taken in (failures reported, the
    // others pending), committing only where a batch is full. Before anything else reads or
    // writes metadata on this thread in ways the preparers must not meet (a sidecar edit).
    void Settle();

    // Traced in turn as the first line of the next photo added, where the lines of its write are.
    void TraceNext(std::string line) { traceNext_.push_back(std::move(line)); }

    // How many photos may be handed over and not yet taken in, with more than one preparer.
    static constexpr std::size_t kAhead = 4;

    // The folders the batch holds locked; other writes of the same run lock theirs here too,
    // as a second lock on a held folder would be refused even within one process.
    FolderLocks& Locks() { return locks_; }

private:
    struct Pending {
        std::size_t ticket;
        PreparedPhoto prepared;
    };

    // A photo handed over: filled in by the caller, then by one preparer, then taken in.
    struct Job {
        std::size_t ticket = 0;
        std::string path;
        std::string photo;
        MaybePosition position;
        std::string newName;               // the temporary name its update uses and repairs
        std::vector<std::string> trace;    // its lines, traced when it is taken in
        bool done = false;                 // under mutex_
        WriteOutcome outcome;
        PreparedPhoto prepared;
        std::exception_ptr thrown;
        bool handedOver = false;  // prepared by a preparer, beside other photos
        bool again = false;       // to be prepared again when taken in: the disk was full
    };

    // Whether a pending new file has the name this photo's update would use or repair.
    bool SharesTemporaryName(const std::string& photo) const;
    // Whether a photo being prepared would use or repair the same temporary name, or (with
    // backups) make a backup of the same name.
    bool ClashesWithPrepared(const Job& job) const;
    void Report(std::size_t ticket, const WriteOutcome& outcome);
    // Prepares the photo on this thread, with the retry in smaller batches on a full disk.
    void PrepareHere(Job& job);
    // What follows a photo's preparation: reported if it failed, pending else.
    void TakeIn(Job& job);
    // Takes in the first photo handed over, waiting for it; or every one already prepared.
    void TakeInOldest();
    void TakeInPrepared();
    // The pending new files swapped in and reported; photos being prepared are left to go on.
    void CommitPending();
    void RunPreparer();
    bool StartPreparers();

    PhotoWriter& writer_;
    OutcomeSink done_;
    FolderLocks locks_;  // every folder the batch wrote into, held until it is destroyed
    std::map<std::pair<dev_t, ino_t>, std::string> seen_;  // each photo added, by its file
    BatchLimits limits_;
    std::vector<Pending> pending_;
    std::size_t pendingBytes_ = 0;
    // Each pending new file's flush, started as it is added.
    FlushAhead flushing_;
    // The replaced photos, held open across their swaps and closed on a thread of their own:
    // that last close frees an old photo's blocks, which can wait for the disk.
    CloseLater replaced_;
    std::vector<std::string> traceNext_;

    // The photos handed over and not yet taken in, in the order they were added (the calling
    // thread's alone), and those no preparer has started yet (under mutex_).
    std::deque<std::shared_ptr<Job>> handedOver_;
    std::mutex mutex_;
    std::condition_variable workWaiting_;  // a photo handed over, or the end: for the preparers
    std::condition_variable prepared_;     // a photo prepared: for the calling thread
    std::deque<std::shared_ptr<Job>> waiting_;
    bool ending_ = false;
    // Set once the disk ran out of room: photos are then prepared one at a time.
    bool oneAtATime_ = false;
    std::vector<std::thread> preparers_;  // started with the first photo handed over
};

}  // namespace geotal
