// Group commit: photos rewritten one by one into their new files, each flushed on other threads
// as soon as it is made, so that the disk works while the next ones are made; a batch is put in
// place once all of its new files are on disk.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
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

    // Flushes the pending new files, swaps each in, flushes their folders and reports them.
    void Commit();

    // The folders the batch holds locked; other writes of the same run lock theirs here too,
    // as a second lock on a held folder would be refused even within one process.
    FolderLocks& Locks() { return locks_; }

private:
    struct Pending {
        std::size_t ticket;
        PreparedPhoto prepared;
    };

    // Whether a pending new file has the name this photo's update would use or repair.
    bool SharesTemporaryName(const std::string& photo) const;
    void Report(std::size_t ticket, const WriteOutcome& outcome);

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
};

}  // namespace geotal
