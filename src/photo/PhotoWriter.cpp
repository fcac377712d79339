#include "photo/PhotoWriter.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>

#include "files/FileAttributes.h"
#include "files/FileIdentity.h"
#include "files/FileOperations.h"
#include "files/PhotoFile.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/GpsFields.h"
#include "metadata/MetadataCheck.h"
#include "metadata/MetadataMerge.h"
#include "metadata/SamePhoto.h"
#include "photo/InterruptedUpdate.h"
#include "photo/PhotoBatch.h"
#include "support/Angles.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

WriteOutcome Failure(WriteCode code, std::string message) {
    const WriteResult result = code == WriteCode::DegreeRange || code == WriteCode::MinuteRange
                                   ? WriteResult::StopRun
                                   : WriteResult::Failed;
    return {result, code, std::move(message)};
}

const WriteOutcome kGoOn = {WriteResult::Written, WriteCode::None, {}};

// Finishes or undoes what an earlier, interrupted update of this photo left beside it.
WriteOutcome Repair(const std::string& path, const std::string& photo) {
    std::string error;
    switch (RepairInterruptedUpdate(photo, error)) {
        case RepairResult::Clean:
            return kGoOn;
        case RepairResult::OtherOldFile:
            return Failure(WriteCode::RenameOldFailed,
                           "Error Renaming old file : " + path + " (" +
                               TemporaryNameOf(photo, "_oldGeotal") +
                               " is a file left by an interrupted update; move it away to "
                               "update this photo)\n");
        case RepairResult::Failed:
            break;
    }
    return Failure(WriteCode::RepairFailed,
                   "Error repairing an interrupted update : " + path + " (" + error + ")\n");
}

// A photo the user may not write, or one with other names, is left as it is.
WriteOutcome RefuseUnchangeable(const std::string& path, const std::string& photo) {
    std::string reason;
    switch (CheckChangeable(photo, reason)) {
        case Changeable::Yes:
            return kGoOn;
        case Changeable::NotForUser:
            return Failure(WriteCode::NotForUser, "Error writing file : " + path + " (" + reason +
                                                      ": this user may not change the photo)\n");
        case Changeable::SeveralNames:
            break;
    }
    return Failure(WriteCode::SeveralNames,
                   "Error writing file : " + path + " (it has " + reason +
                       " hard links; a changed copy would part it from its other names)\n");
}

// A backup that could not be made must not be followed by a change to the original, and a
// backup once made (the original, as a rule) is never replaced.
WriteOutcome Backup(const std::string& path, const std::string& photo, const std::string& folder) {
    const std::string backup = folder + "/" + FileNameOf(path);
    std::string error;
    switch (CopyFileNoReplace(photo, backup, error)) {
        case CopyResult::Copied:
        case CopyResult::AlreadyThere:
            return kGoOn;
        case CopyResult::OtherFileThere:
            if (AreVersionsOfOnePhoto(backup, photo)) {
                // A second pass (a corrected time zone, say): the backup is this photo's own
                // earlier version, the true original, and stays.
                TraceValue("  Kept the earlier version as the backup", backup);
                return kGoOn;
            }
            return Failure(WriteCode::BackupExists,
                           "Error copying file : " + path + " (" + backup +
                               " is already there and is another photo; a backup is never "
                               "replaced)\n");
        case CopyResult::Failed:
            break;
    }
    const int systemError = errno;
    WriteOutcome failure =
        Failure(WriteCode::CopyFailed, "Error copying file : " + path + " (" + error + ")\n");
    failure.systemError = systemError;
    return failure;
}

// The photo's new file, with the position's GPS change made, at newName; unchanged instead when
// the photo already holds the position exactly. exif holds what the new file must read back as.
WriteOutcome MakeNewFile(const std::string& path, const std::string& photo,
                         const MaybePosition& position, const GpsChange& change,
                         const std::string& newName, ExifHandle& exif, bool& unchanged) {
    IptcHandle iptc;
    if (!OpenMetadata(photo, true, true, exif, iptc)) {
        OpenMetadata(photo, false, true, exif, iptc);
    }
    if (!exif) {
        // A file the system would not let be read; else a JPEG without EXIF data gets it new.
        if (const std::string reason = UnreadableReason(photo); !reason.empty()) {
            return Failure(WriteCode::NoExif,
                           "Error reading file : " + path + " (" + reason + ")\n");
        }
        if (!position) {
            Trace("  No EXIF data: no position to take out");
            unchanged = true;
            return kGoOn;
        }
        std::string why;
        if (!NewJpegExif(photo, exif, why)) {
            return Failure(WriteCode::NoExif, "Error writing file : " + path + " (" + why +
                                                  "; no position can be written into it)\n");
        }
        Trace("  No EXIF data: a new EXIF segment is made");
    }
    switch (position ? CheckPositionRange(position->latitude, position->longitude)
                     : WriteCode::None) {
        case WriteCode::DegreeRange:
            return Failure(WriteCode::DegreeRange,
                           "Internal Error: Degree range out of bounds. Please contact Tarsel "
                           "Helpdesk");
        case WriteCode::MinuteRange:
            return Failure(WriteCode::MinuteRange,
                           "Internal Error: Minute range out of bounds. Please contact Tarsel "
                           "Helpdesk");
        default:
            break;
    }
    Trace("  Update");
    // An altitude no EXIF fraction holds is refused rather than left out of the change.
    std::string why;
    if ((position && position->altitude && !(std::fabs(*position->altitude) <= kLargestAltitude)) ||
        !SetGpsChange(*exif, change, why)) {
        return Failure(WriteCode::TagNotSet, "Error setting the GPS tags of file : " + path + "\n");
    }
    Trace("  Merge");
    std::string libraryError;
    if (!MergeMetadata(photo, newName, exif.get(), iptc.get(), change, MergeWay::OnlyWhatChanged,
                       Flush::Later, libraryError, &unchanged)) {
        const int error = errno;
        WriteOutcome failure = Failure(
            WriteCode::MergeFailed, "Error Updating file : " + path + " \n" + libraryError + "\n");
        failure.systemError = error;
        return failure;
    }
    return kGoOn;
}

}  // namespace

namespace {

WriteOutcome NewFileTakenFailure(const PreparedPhoto& prepared) {
    return Failure(WriteCode::NewFileTaken,
                   "Error renaming new file : " + prepared.path + " (" + prepared.newName +
                       " is no longer the file written for it: another program replaced or "
                       "changed it; the photo was left as it was)\n");
}

}  // namespace

WriteOutcome SwapInPrepared(const PreparedPhoto& prepared) {
    switch (SwapIn(prepared.newName, prepared.newFile, prepared.photo, prepared.photoBefore)) {
        case SwapResult::Done:
            Trace("  Destroy");
            return kGoOn;
        case SwapResult::NewFileTaken:
            return NewFileTakenFailure(prepared);
        case SwapResult::TargetChanged:
            return Failure(WriteCode::ChangedMeanwhile,
                           "Error writing file : " + prepared.path +
                               " (changed by another program while being updated; it was left as "
                               "that program made it)\n");
        case SwapResult::TargetGone:
            return Failure(WriteCode::ChangedMeanwhile,
                           "Error writing file : " + prepared.path +
                               " (removed by another program while being updated; it was not "
                               "made anew)\n");
        case SwapResult::Failed:
            break;
    }
    return Failure(WriteCode::RenameNewFailed, "Error renaming new file : " + prepared.path + "\n");
}

WriteOutcome DiscardUnflushed(const PreparedPhoto& prepared, int error) {
    // The flush runs by name, ahead of the commit: where another program took the name
    // meanwhile, that is what went wrong, whatever the flush met.
    const std::optional<FileIdentity> now = IdentityOf(prepared.newName);
    if (!now || !IsSameUnchanged(*now, prepared.newFile)) {
        return NewFileTakenFailure(prepared);
    }
    RemoveIfOurs(prepared.newName, prepared.newFile);
    return Failure(WriteCode::MergeFailed, "Error Updating file : " + prepared.path +
                                               " \nCannot write " + prepared.newName + ": " +
                                               std::strerror(error) + "\n");
}

void TraceFailure(const WriteOutcome& outcome) {
    if (outcome.code == WriteCode::None) {
        return;
    }
    TraceValue("  Catch error", static_cast<int>(outcome.code));
    std::string message = outcome.message;
    while (!message.empty() && message.back() == '\n') {
        message.pop_back();
    }
    TraceValue("  Message", message);
}

WriteCode CheckPositionRange(double latitude, double longitude) {
    // The whole value, not only its degrees: 90.5° has 90 whole degrees.
    if (!IsOnGlobe(latitude, longitude)) {
        return WriteCode::DegreeRange;
    }
    const DmsParts lat = SplitDms(std::fabs(latitude));
    const DmsParts lon = SplitDms(std::fabs(longitude));
    if (!(lat.minutes <= 59.999) || !(lon.minutes <= 59.999)) {
        return WriteCode::MinuteRange;
    }
    return WriteCode::None;
}

bool IsUsableCopyFolder(const std::string& folder) {
    struct stat status {};
    return !folder.empty() && ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.empty() ? "/" : a.c_str(), &first) == 0 &&
           ::stat(b.empty() ? "/" : b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

void PhotoWriter::SetCopyOptions(bool copyFiles, const std::string& copyFolder) {
    copyFiles_ = copyFiles;
    copyFolder_ = copyFolder;
}

WriteOutcome PhotoWriter::PutFileLongLat(const std::string& path, const MaybePosition& position) {
    WriteOutcome outcome;
    {
        BatchLimits one;
        one.preparers = 1;  // no thread for a photo alone
        PhotoBatch batch(
            *this, [&outcome](std::size_t, const WriteOutcome& done) { outcome = done; }, one);
        batch.Add(0, path, position);
    }  // the batch of one is committed as it goes
    return outcome;
}

WriteOutcome PhotoWriter::Prepare(const std::string& path, const std::string& photo,
                                  const MaybePosition& position, PreparedPhoto& prepared) {
    if (IsTemporaryName(FileNameOf(photo))) {
        // Given by a glob after an interrupted run: writing it would count a leftover as a
        // photo, back it up and make it anew; the repair of its photo takes care of it.
        return Failure(WriteCode::NotAPhoto,
                       "Error writing file : " + path +
                           " (a temporary file of Geotal, not a photo; it is removed or put back "
                           "when the photo it belongs to is next written)\n");
    }
    if (WriteOutcome repaired = Repair(path, photo); repaired.code != WriteCode::None) {
        return repaired;
    }
    if (WriteOutcome refused = RefuseUnchangeable(path, photo); refused.code != WriteCode::None) {
        return refused;
    }
    // Before anything reads it: a change made while it is read must show at the swap too.
    const std::optional<FileIdentity> photoBefore = IdentityOf(photo);
    const std::string newName = TemporaryNameOf(photo, "_newGeotal");
    // The position's GPS fields, made once: the byte-level edit writes them, and exiv2 holds
    // them for the read-back check (and writes them where that edit cannot).
    const GpsChange change = GpsChangeFor(position);
    ExifHandle exif;
    bool unchanged = false;
    const WriteOutcome made = MakeNewFile(path, photo, position, change, newName, exif, unchanged);
    if (made.code == WriteCode::None && unchanged) {
        // A rerun after a kill, or the same position again: done, and the backup (made of the
        // photo before its first write) no longer matches it.
        Trace(position ? "  The photo already holds this position"
                       : "  The photo holds no position");
        prepared = {path, photo, std::string(), 0, {}, {}};
        WriteOutcome done = kGoOn;
        done.unchanged = true;
        return done;
    }
    // The copy comes first even when the write then fails, as the user asked for it.
    if (copyFiles_) {
        if (WriteOutcome backup = Backup(path, photo, copyFolder_);
            backup.code != WriteCode::None) {
            if (made.code == WriteCode::None) {
                RemoveFile(newName);
            }
            return backup;
        }
    }
    if (made.code != WriteCode::None) {
        return made;
    }
    // A damaged photo can come out of the library worse: unreadable, or short of tags.
    std::string error;
    if (!CheckMetadata(newName, *exif, change, error)) {
        RemoveFile(newName);
        return Failure(WriteCode::CheckFailed, "Error checking new file : " + path + " (" + error +
                                                   "; the photo was left as it was)\n");
    }
    if (!CopyFileAttributes(photo, newName, error)) {
        RemoveFile(newName);
        return Failure(WriteCode::AttributesFailed,
                       "Error copying owner and attributes : " + path + " (" + error + ")\n");
    }
    const std::optional<FileIdentity> newFile = IdentityOf(newName);
    if (!photoBefore || !newFile) {
        RemoveFile(newName);
        return Failure(
            WriteCode::ChangedMeanwhile,
            "Error writing file : " + path + " (removed by another program while being updated)\n");
    }
    prepared = {path,         photo,   newName, static_cast<std::size_t>(newFile->size),
                *photoBefore, *newFile};
    return kGoOn;
}

}  // namespace geotal
