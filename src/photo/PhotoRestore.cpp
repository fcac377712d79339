#include "photo/PhotoRestore.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <set>
#include <utility>

#include "files/FileRemoval.h"
#include "files/FileReplacement.h"
#include "files/FlushFiles.h"
#include "files/FolderLocks.h"
#include "files/PhotoFile.h"
#include "files/ReplaceFile.h"
#include "metadata/SamePhoto.h"
#include "metadata/SidecarGpsEdit.h"
#include "photo/PhotoFolder.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoPaths.h"
#include "photo/Sidecar.h"
#include "photo/SidecarLedger.h"
#include "support/AsciiText.h"
#include "support/SystemError.h"
#include "support/TraceLog.h"
#include "support/WholeFile.h"

namespace geotal {
namespace {

FileRestore Refused(const std::string& file, std::string reason) {
    FileRestore refused;
    refused.action = RestoreAction::Refused;
    refused.file = file;
    refused.reason = std::move(reason);
    return refused;
}

FileRestore Nothing(const std::string& file, std::string note = {}) {
    FileRestore nothing;
    nothing.file = file;
    nothing.reason = std::move(note);
    return nothing;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = AsciiLower(c);
    }
    return text;
}

// The folder, its links resolved, and the name in lower case: one key for every spelling of a
// name that a file system ignoring case takes for one file, whether or not it exists yet.
std::string FoldedKey(const std::string& path) {
    std::string folder = FolderOf(path).empty() ? "." : FolderOf(path);
    if (char* real = ::realpath(folder.c_str(), nullptr)) {
        folder = real;
        ::free(real);
    }
    return folder + "/" + Lower(FileNameOf(path));
}

std::string PositionNote(const MaybePosition& position) {
    if (!position) {
        return {};
    }
    char text[96];
    std::snprintf(text, sizeof text, "the position it held, %.6f %.6f, goes with it",
                  position->LatitudeDegrees(), position->LongitudeDegrees());
    return text;
}

// The copy at copy as a regular file: its identity, or why it cannot be used; none and an empty
// why when there is no copy.
std::optional<FileIdentity> CopyIdentity(const std::string& copy, std::string& why) {
    struct stat status {};
    if (::lstat(copy.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            why = SystemErrorText("Cannot read", copy);
        }
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        why = copy + " is not a file that Geotal copied (not a regular file); it was left alone";
        return std::nullopt;
    }
    return IdentityOf(copy);
}

std::string UnchangeableReason(const std::string& file) {
    std::string reason;
    switch (CheckChangeable(file, reason)) {
        case Changeable::Yes:
            return {};
        case Changeable::NotForUser:
            return reason + ": this user may not change " + file;
        case Changeable::SeveralNames:
            break;
    }
    return file + " has " + reason + " hard links; a restored copy would part it from the others";
}

// The photo file itself: only a JPEG is ever changed by a write, so only a JPEG's copy goes back.
FileRestore PlanPhotoFile(const std::string& path, const std::string& photo,
                          const std::string& copyFolder) {
    const std::string copy = copyFolder + "/" + FileNameOf(path);
    std::string why;
    const std::optional<FileIdentity> copyIdentity = CopyIdentity(copy, why);
    if (!copyIdentity) {
        return why.empty() ? Nothing(photo) : Refused(photo, why);
    }
    if (AreOneFile(copy, photo)) {
        return Nothing(photo, "the copy folder is the photo's own folder");
    }
    // Taken before the photo is read: a change made while it is compared shows at the swap.
    const std::optional<FileIdentity> photoIdentity = IdentityOf(photo);
    WholeFile copied;
    WholeFile current;
    if (!ReadWholeFile(copy, copied, why) || !ReadWholeFile(photo, current, why)) {
        return Refused(photo, why);
    }
    if (!photoIdentity) {
        return Refused(photo, "removed by another program while it was checked");
    }
    if (copied.bytes == current.bytes) {
        return Nothing(photo, "it is as its copy already");
    }
    if (!IsJpegFileName(photo)) {
        return Nothing(photo, "the copy folder's " + FileNameOf(copy) +
                                  " was left alone: Geotal changes no such photo file, only its "
                                  "sidecar");
    }
    if (const std::string reason = UnchangeableReason(photo); !reason.empty()) {
        return Refused(photo, reason);
    }
    const std::string oldName = TemporaryNameOf(photo, "_oldGeotal");
    if (IdentityOf(oldName) && !AreOneFile(oldName, photo)) {
        return Refused(photo, "an interrupted update left " + oldName +
                                  " beside it, which may be the photo; move it away first");
    }
    if (const std::string difference = DifferenceBesidePosition(copy, photo); !difference.empty()) {
        return Refused(photo, "changed since the copy " + copy +
                                  " was made, or another photo of that name (" + difference +
                                  "); it was left as it is");
    }
    FileRestore restore;
    restore.action = RestoreAction::Restore;
    restore.file = photo;
    restore.copy = copy;
    restore.fileAsChecked = photoIdentity;
    restore.copyAsChecked = *copyIdentity;
    restore.reason = PositionNote(ReadOwnPosition(photo));
    return restore;
}

// The sidecar names a photo's position may have gone to, beside the photo as it was named.
std::vector<std::string> SidecarCandidates(const std::string& path) {
    const std::string base = DefaultSidecarPath(path);  // NAME.xmp
    const std::string stem = base.substr(0, base.size() - 4);
    return {stem + ".xmp", stem + ".XMP", path + ".xmp", path + ".XMP"};
}

class SidecarPlanner {
public:
    explicit SidecarPlanner(const std::string& copyFolder)
        : copyFolder_(copyFolder), ledger_(copyFolder) {}

    bool RecordsSidecars() const { return ledger_.Exists(); }

    FileRestore Plan(const std::string& path, const std::string& photoCopy) {
        std::vector<PhotoFingerprint> photos;
        PhotoFingerprint fingerprint;
        std::string why;
        if (FingerprintOf(path, fingerprint, why)) {
            photos.push_back(fingerprint);
        }
        // The photo as it was before its first write: a run that wrote its sidecar then knew
        // it so.
        if (!photoCopy.empty() && FingerprintOf(photoCopy, fingerprint, why) &&
            (photos.empty() || !(photos.front() == fingerprint))) {
            photos.push_back(fingerprint);
        }
        for (const std::string& candidate : SidecarCandidates(path)) {
            const std::string sidecar = FollowLinks(candidate);
            const std::string name = FileNameOf(sidecar);
            for (const PhotoFingerprint& photo : photos) {
                if (const std::optional<SidecarLedger::Entry> entry = ledger_.Find(name, photo)) {
                    return entry->origin == SidecarOrigin::Copied ? PlanCopied(sidecar, *entry)
                                                                  : PlanMade(sidecar);
                }
            }
        }
        return PlanUnrecorded(path);
    }

private:
    FileRestore PlanCopied(const std::string& sidecar, const SidecarLedger::Entry& entry) {
        const std::string copy = copyFolder_ + "/" + entry.name;
        std::string why;
        const std::optional<FileIdentity> copyIdentity = CopyIdentity(copy, why);
        if (!copyIdentity) {
            return Refused(sidecar, why.empty() ? "the copy folder no longer holds " + copy +
                                                      ", recorded as this sidecar's copy"
                                                : why);
        }
        WholeFile copied;
        if (!ReadWholeFile(copy, copied, why)) {
            return Refused(sidecar, why);
        }
        if (ContentHashOf(copy) != entry.copy) {
            return Refused(sidecar, copy +
                                        " is not the copy the copy folder recorded for this "
                                        "sidecar; it was left alone");
        }
        FileRestore restore;
        restore.action = RestoreAction::Restore;
        restore.file = sidecar;
        restore.copy = copy;
        restore.copyAsChecked = *copyIdentity;
        restore.fileAsChecked = IdentityOf(sidecar);
        if (!restore.fileAsChecked) {
            restore.reason = "there is no sidecar now; the copy is put back";
            return restore;
        }
        if (const std::string reason = TooLargeForASidecar(sidecar); !reason.empty()) {
            return Refused(sidecar, sidecar + ": " + reason);
        }
        WholeFile current;
        if (!ReadWholeFile(sidecar, current, why)) {
            return Refused(sidecar, why);
        }
        if (current.bytes == copied.bytes) {
            return Nothing(sidecar, "it is as its copy already");
        }
        if (const std::string reason = UnchangeableReason(sidecar); !reason.empty()) {
            return Refused(sidecar, reason);
        }
        if (!SamePropertiesBesideGps(copied.bytes, current.bytes)) {
            return Refused(sidecar, sidecar +
                                        " changed since the copy was made: it holds other "
                                        "properties than its copy beside the position; it was "
                                        "left as it is");
        }
        MaybePosition position;
        ReadSidecarPosition(current.bytes, position, why);
        restore.reason = PositionNote(position);
        return restore;
    }

    FileRestore PlanMade(const std::string& sidecar) {
        const std::optional<FileIdentity> identity = IdentityOf(sidecar);
        if (!identity) {
            return Nothing(sidecar, "the sidecar a run made is gone already");
        }
        if (const std::string reason = TooLargeForASidecar(sidecar); !reason.empty()) {
            return Refused(sidecar, sidecar + ": " + reason);
        }
        WholeFile current;
        std::string why;
        if (!ReadWholeFile(sidecar, current, why)) {
            return Refused(sidecar, why);
        }
        if (!HoldsOnlyGpsProperties(current.bytes)) {
            return Refused(sidecar, sidecar +
                                        " was made by a run, but holds more than a position now "
                                        "(another program added to it); it was left as it is");
        }
        if (const std::string reason = UnchangeableReason(sidecar); !reason.empty()) {
            return Refused(sidecar, reason);
        }
        FileRestore remove;
        remove.action = RestoreAction::Remove;
        remove.file = sidecar;
        remove.fileAsChecked = identity;
        remove.reason = "a run made it";
        return remove;
    }

    // No record of this photo's sidecar: no run copied or made it, unless the copy folder is of
    // an earlier version, which kept no record.
    FileRestore PlanUnrecorded(const std::string& path) {
        for (const std::string& candidate : SidecarCandidates(path)) {
            const std::string sidecar = FollowLinks(candidate);
            const std::string copy = copyFolder_ + "/" + FileNameOf(sidecar);
            std::string why;
            if (!CopyIdentity(copy, why)) {
                continue;
            }
            WholeFile copied;
            WholeFile current;
            if (ReadWholeFile(copy, copied, why) && ReadWholeFile(sidecar, current, why) &&
                copied.bytes == current.bytes) {
                return Nothing(sidecar, "it is as its copy already");
            }
            if (RecordsSidecars()) {
                return Nothing(sidecar, "the copy folder's " + FileNameOf(copy) +
                                            " is not recorded as this photo's sidecar; it was "
                                            "left alone");
            }
            return Refused(sidecar, "the copy folder holds " + FileNameOf(copy) +
                                        " but no record of whose sidecar it is (" +
                                        SidecarLedger::kFileName +
                                        " is missing: copies made by an earlier version of "
                                        "Geotal); put it back by hand if it is this photo's");
        }
        return Nothing({});
    }

    std::string copyFolder_;
    SidecarLedger ledger_;
};

// The photos and sidecars planned so far, each once, by the name given first.
struct Seen {
    std::map<std::pair<dev_t, ino_t>, std::string> photos;
    // By FoldedKey: the photo file, and the name it was given by.
    std::multimap<std::string, std::pair<std::string, std::string>> photosByFoldedName;
    std::map<std::string, std::string> sidecars;  // by FoldedKey

    // The name a photo was first given by, when it was; else notes it under this one.
    std::optional<std::string> Photo(const std::string& photo, const std::string& path) {
        const std::optional<FileIdentity> identity = IdentityOf(photo);
        if (identity) {
            if (const auto it = photos.find({identity->device, identity->inode});
                it != photos.end()) {
                return it->second;
            }
        }
        // A memory card finds one file by names that differ in case, under other inodes.
        const std::string key = FoldedKey(photo);
        const auto [first, last] = photosByFoldedName.equal_range(key);
        for (auto it = first; it != last; ++it) {
            if (AreOneFile(it->second.first, photo)) {
                return it->second.second;
            }
        }
        if (identity) {
            photos.emplace(std::make_pair(identity->device, identity->inode), path);
        }
        photosByFoldedName.emplace(key, std::make_pair(photo, path));
        return std::nullopt;
    }
};

// Plans one photo.
PhotoRestore PlanOne(const std::string& path, const std::string& copyFolder,
                     SidecarPlanner& sidecars, Seen& seen) {
    PhotoRestore planned;
    planned.path = path;
    if (IsTemporaryName(FileNameOf(path))) {
        planned.photo = Refused(path,
                                "a temporary file of Geotal, not a photo; it is removed or put "
                                "back when the photo it belongs to is next written");
        return planned;
    }
    if (const std::string reason = UnreadableReason(path); !reason.empty()) {
        planned.photo = Refused(path, reason +
                                          "; a restore puts copies back over photos that "
                                          "are there, it makes none anew");
        return planned;
    }
    const std::string photo = FollowLinks(path);
    if (const std::optional<std::string> first = seen.Photo(photo, path)) {
        planned.photo = Nothing(photo, "the same photo as " + *first + ", restored with it");
        return planned;
    }
    planned.photo = PlanPhotoFile(path, photo, copyFolder);
    const std::string photoCopy =
        planned.photo.copy.empty() ? copyFolder + "/" + FileNameOf(path) : planned.photo.copy;
    planned.sidecar = sidecars.Plan(path, IdentityOf(photoCopy) ? photoCopy : std::string());
    if (!planned.sidecar.file.empty() && planned.sidecar.action != RestoreAction::None) {
        const auto [shared, first] = seen.sidecars.emplace(FoldedKey(planned.sidecar.file), path);
        if (!first) {
            planned.sidecar = Nothing(planned.sidecar.file,
                                      "shared with " + shared->second + ", restored with it");
        }
    }
    return planned;
}

}  // namespace

RestorePlan PlanRestore(const std::string& copyFolder, const std::vector<std::string>& photos,
                        ProgressSink& progress) {
    RestorePlan plan;
    plan.copyFolder = copyFolder;
    struct stat status {};
    if (::stat(copyFolder.c_str(), &status) != 0) {
        plan.refusal = SystemErrorText("Cannot open the copy folder", copyFolder);
        return plan;
    }
    if (!S_ISDIR(status.st_mode)) {
        plan.refusal = copyFolder + " is not a folder";
        return plan;
    }
    SidecarPlanner sidecars(copyFolder);
    plan.recordsSidecars = sidecars.RecordsSidecars();
    Seen seen;
    progress.Begin("Checking the copies", static_cast<int>(photos.size()));
    for (std::size_t i = 0; i < photos.size(); ++i) {
        if (progress.AbortRequested()) {
            plan.stopped = true;
            break;
        }
        plan.photos.push_back(PlanOne(photos[i], copyFolder, sidecars, seen));
        progress.SetPosition(static_cast<int>(i + 1));
        progress.Pump();
    }
    progress.End();
    return plan;
}

RestorePlan PlanFolderRestore(const std::string& copyFolder, const std::string& folder,
                              ProgressSink& progress) {
    std::vector<std::string> photos;
    for (const std::string& name : ListPhotoFiles(folder)) {
        photos.push_back(folder + "/" + name);
    }
    RestorePlan plan = PlanRestore(copyFolder, photos, progress);
    if (!plan.refusal.empty()) {
        return plan;
    }
    std::set<std::string> accounted = {Lower(SidecarLedger::kFileName)};
    for (const std::string& photo : photos) {
        accounted.insert(Lower(FileNameOf(photo)));
        for (const std::string& sidecar : SidecarCandidates(photo)) {
            accounted.insert(Lower(FileNameOf(sidecar)));
        }
    }
    if (DIR* dir = ::opendir(copyFolder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && !IsUniqueNameOfOurs(name) &&
                accounted.count(Lower(name)) == 0) {
                plan.strays.push_back(name);
            }
        }
        ::closedir(dir);
    }
    std::sort(plan.strays.begin(), plan.strays.end(), PhotoNameLess);
    return plan;
}

namespace {

void CarryOutFile(FileRestore& file, FolderLocks& locks) {
    if (file.action != RestoreAction::Restore && file.action != RestoreAction::Remove) {
        return;
    }
    std::string why;
    if (locks.Lock(FolderOf(file.file), why) == FolderLocks::Result::Busy) {
        file.action = RestoreAction::Refused;
        file.reason = why;
        return;
    }
    const auto refuse = [&file](std::string reason) {
        file.action = RestoreAction::Refused;
        file.reason = std::move(reason);
        TraceValue("  Not restored", file.file + ": " + file.reason);
    };
    if (file.action == RestoreAction::Remove) {
        switch (RemoveAsExpected(file.file, *file.fileAsChecked, FlushFolder)) {
            case RemovalResult::Removed:
                TraceValue("  Removed a sidecar a run made", file.file);
                return;
            case RemovalResult::Changed:
                return refuse(file.file +
                              " was changed, replaced or removed by another program since it "
                              "was checked; it was left as that program made it");
            case RemovalResult::NotFlushed:
                return refuse(SystemErrorText("Cannot flush the folder of", file.file) +
                              " (the sidecar was removed, but may come back after a power cut)");
            case RemovalResult::Failed:
                return refuse(SystemErrorText("Cannot remove", file.file));
        }
        return;
    }
    std::string bytes;
    ReadState copyRead;
    if (!ReadForReplacement(file.copy, bytes, copyRead)) {
        return refuse(SystemErrorText("Cannot read", file.copy));
    }
    if (!copyRead.identity || !IsSameUnchanged(*copyRead.identity, file.copyAsChecked)) {
        return refuse(file.copy + " changed since it was checked; nothing was put back");
    }
    PutOptions options;
    options.expected = file.fileAsChecked;
    options.flushFolder = FlushFolder;
    if (file.fileAsChecked) {
        options.carryFrom = file.file;  // the file stays the user's: owner, mode, attributes
    } else {
        struct stat status {};
        if (::stat(file.copy.c_str(), &status) == 0) {
            options.mode = status.st_mode & 07777;
        }
    }
    const PutOutcome put = PutNewContents(file.file, bytes, options);
    switch (put.result) {
        case PutResult::Done:
            TraceValue("  Restored", file.file);
            return;
        case PutResult::TargetChanged:
            return refuse(file.file +
                          (file.fileAsChecked
                               ? " was changed or removed by another program since it was "
                                 "checked; it was left as that program made it"
                               : " was made by another program since it was checked; it was "
                                 "left as that program made it"));
        case PutResult::NotCreated:
            return refuse(SystemErrorText("Cannot create a new file beside", file.file, put.code) +
                          "; it was left as it was");
        case PutResult::NotCarried:
            return refuse(put.detail + " (" + file.file + " was left as it was)");
        case PutResult::NotFlushed:
            return refuse(SystemErrorText("Cannot flush the folder of", file.file, put.code) +
                          " (the copy is back, but may not survive a power cut)");
        case PutResult::Failed:
        case PutResult::NotRenamed:
            break;
    }
    refuse(SystemErrorText("Cannot write", file.file, put.code) + "; it was left as it was");
}

}  // namespace

void CarryOut(RestorePlan& plan, ProgressSink& progress) {
    if (!plan.refusal.empty()) {
        return;
    }
    Trace("Restore from " + plan.copyFolder);
    FolderLocks locks;
    std::string busy;
    if (locks.Lock(plan.copyFolder, busy) != FolderLocks::Result::Busy) {
        busy.clear();
    }
    progress.Begin("Restoring photos from copies", static_cast<int>(plan.photos.size()));
    for (std::size_t i = 0; i < plan.photos.size(); ++i) {
        PhotoRestore& photo = plan.photos[i];
        for (FileRestore* file : {&photo.photo, &photo.sidecar}) {
            const bool pending =
                file->action == RestoreAction::Restore || file->action == RestoreAction::Remove;
            if (pending && (plan.stopped || !busy.empty())) {
                file->action = RestoreAction::Refused;
                file->reason =
                    plan.stopped ? "stopped before its turn; it was left as it is" : busy;
            } else {
                CarryOutFile(*file, locks);
            }
        }
        progress.SetPosition(static_cast<int>(i + 1));
        progress.Pump();
        plan.stopped = plan.stopped || progress.AbortRequested();
    }
    progress.End();
}

RestoreCounts CountsOf(const RestorePlan& plan) {
    RestoreCounts counts;
    for (const PhotoRestore& photo : plan.photos) {
        counts.photos += photo.photo.action == RestoreAction::Restore ? 1 : 0;
        counts.sidecars += photo.sidecar.action == RestoreAction::Restore ? 1 : 0;
        counts.removed += photo.sidecar.action == RestoreAction::Remove ? 1 : 0;
        const bool refused = photo.photo.action == RestoreAction::Refused ||
                             photo.sidecar.action == RestoreAction::Refused;
        counts.refused += refused ? 1 : 0;
        counts.nothing += !refused && photo.photo.action == RestoreAction::None &&
                                  photo.sidecar.action == RestoreAction::None
                              ? 1
                              : 0;
    }
    return counts;
}

std::string RestoreCountsText(const RestoreCounts& counts, bool planned) {
    const auto many = [](int count, const char* one, const char* more) {
        return std::to_string(count) + " " + (count == 1 ? one : more);
    };
    std::string text = many(counts.photos, "photo", "photos") + " and " +
                       many(counts.sidecars, "sidecar", "sidecars") +
                       (planned ? " to restore" : " restored");
    if (counts.removed > 0) {
        text += ", " + many(counts.removed, "sidecar", "sidecars") + " made by a run" +
                (planned ? " to remove" : " removed");
    }
    if (counts.refused > 0) {
        text += ", " + many(counts.refused, "photo", "photos") +
                (planned ? " to be refused" : " refused");
    }
    if (counts.nothing > 0) {
        text += ", " + many(counts.nothing, "photo", "photos") + " with nothing to restore";
    }
    return text;
}

}  // namespace geotal
