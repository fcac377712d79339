// Writing a position into a photo file: repair of an interrupted update, optional backup
// copy, GPS tags, a checked new file, safe swap.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "files/FileIdentity.h"
#include "metadata/GpsFields.h"
#include "photo/PhotoPaths.h"
#include "support/GeoPosition.h"

namespace geotal {

enum class WriteResult {
    Failed,   // this file failed; the run goes on with the next one
    Written,  // the file now carries the position
    StopRun,  // internal range error; the run stops after this file
};

// The step at which a write failed; the numbers are the ones the trace shows.
enum class WriteCode : int {
    None = 0,
    NoExif = 1,
    TagNotSet = 2,
    DegreeRange = 3,
    MinuteRange = 4,
    MergeFailed = 5,
    RenameOldFailed = 6,  // the old temporary name holds a file left by an interrupted update
    RenameNewFailed = 7,
    CopyFailed = 9,          // the backup copy was asked for and could not be made
    BackupExists = 10,       // a different file already has the backup's name
    RepairFailed = 11,       // what an interrupted update left could not be finished or undone
    NotForUser = 12,         // the running user may not write the photo
    SeveralNames = 13,       // the photo has hard links that a new file would part it from
    AttributesFailed = 14,   // the new file could not get the photo's owner, mode or attributes
    CheckFailed = 15,        // the new file did not read back with the photo's tags and position
    ChangedMeanwhile = 16,   // another program changed or removed the photo before the swap
    FolderBusy = 17,         // another run holds the photo's folder
    NewFileTaken = 18,       // the new file's name no longer holds the file written for it
    NotAPhoto = 19,          // the name is one of this program's temporary names
    FolderFlushFailed = 20,  // the swap is done but its folder could not be made durable
    SamePhotoTwice = 21,     // another name of a photo this run already wrote
    SidecarShared = 22,      // another photo of the run wrote another position into its sidecar
    OwnFilePosition = 23,    // a removal for a photo whose own file, never changed, holds one
};

struct WriteOutcome {
    WriteResult result = WriteResult::Failed;
    WriteCode code = WriteCode::None;
    std::string message;  // the text to show the user; empty on success
    int systemError = 0;  // the system's error number, where a new file or copy was refused
    // Written without a change: the file already held what was asked (the position, or no
    // position where one was to be taken out).
    bool unchanged = false;
};

// None when the position (seconds of arc, signed) lies within ±90° and ±180° and its minute
// parts are whole minutes below 60; else DegreeRange or MinuteRange, degrees checked first.
WriteCode CheckPositionRange(double latitude, double longitude);

// Whether copies can be made there: a non-empty path of an existing, writable folder.
bool IsUsableCopyFolder(const std::string& folder);

// Whether both paths name the same existing folder (a backup there would be no backup).
bool IsSameFolder(const std::string& a, const std::string& b);

// A photo's new file, written and checked but neither flushed nor in place yet.
struct PreparedPhoto {
    std::string path;     // as the user gave it; messages name it
    std::string photo;    // the file behind path's links, which the new file replaces
    std::string newName;  // the new file beside it
    std::size_t bytes = 0;
    FileIdentity photoBefore;  // the photo as it was before it was read
    FileIdentity newFile;      // the new file as it was written and checked
};

// Puts a prepared new file, already flushed to disk, under its photo's name in one rename; a
// new file that could not be put there is removed. Only while the photo is still the file that
// was read, and the new name still holds the file written: a photo another program changed or
// removed meanwhile is left as it is (never recreated), and a file another program put under
// the new name is neither renamed nor removed.
WriteOutcome SwapInPrepared(const PreparedPhoto& prepared);

// The failure of a prepared photo whose new file could not be flushed (error is the errno);
// removes the new file and leaves the photo as it was.
WriteOutcome DiscardUnflushed(const PreparedPhoto& prepared, int error);

// Traces a failed outcome's code and message.
void TraceFailure(const WriteOutcome& outcome);

class PhotoWriter {
public:
    void SetCopyOptions(bool copyFiles, const std::string& copyFolder);
    // The folder backups go to, when they are asked for.
    std::optional<std::string> CopyFolder() const {
        return copyFiles_ ? std::optional<std::string>(copyFolder_) : std::nullopt;
    }

    // Writes the position's latitude and longitude (seconds of arc, signed) and, when given, its
    // altitude (metres, negative below sea level) as EXIF GPS tags into the photo at path, or the
    // photo its symbolic links lead to; without an altitude the photo's altitude tags are taken
    // out, as they belonged to the old position, and so are the old fix's time, accuracy, speed
    // and the like (GpsChangeFor). Nothing else in the photo changes: its other tags, segments
    // and image data keep their bytes. First repairs what an interrupted update left beside it. The
    // photo's name holds either the old or the new whole file at every instant; the new one keeps
    // the old one's owner, mode and extended attributes, and is put in place only once it reads
    // back with every tag the photo had. Read-only photos and photos with hard links are left
    // alone. No position takes the photo's out (GpsRemoval): a photo without one is left as it
    // is, and its outcome says unchanged.
    WriteOutcome PutFileLongLat(const std::string& path, const MaybePosition& position);
    WriteOutcome PutFileLongLat(const std::string& path, const GeoPosition& position) {
        return PutFileLongLat(path, MaybePosition(position));
    }

    // Every step of PutFileLongLat before the flush and the swap, the new file left unflushed
    // so that a batch of them can be flushed at once (see PhotoBatch). On success prepared
    // names it; the caller then flushes it and swaps it in, or removes it. A photo that already
    // holds the position exactly needs no new file, no backup and no swap: prepared's newName
    // is then empty and the photo is written. photo is the file
    // behind path's links; messages name path, as the user gave it.
    WriteOutcome Prepare(const std::string& path, const std::string& photo,
                         const MaybePosition& position, PreparedPhoto& prepared);

private:
    bool copyFiles_ = false;
    std::string copyFolder_;
};

}  // namespace geotal
