#include "photo/InterruptedUpdate.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/FileOperations.h"
#include "photo/PhotoPaths.h"
#include "support/SystemError.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

enum class Presence { Present, Missing, Unknown };

Presence Look(const std::string& path, struct stat& status) {
    if (::lstat(path.c_str(), &status) == 0) {
        return Presence::Present;
    }
    return errno == ENOENT ? Presence::Missing : Presence::Unknown;
}

RepairResult Fail(const char* what, const std::string& path, std::string& error) {
    error = SystemErrorText(what, path);
    return RepairResult::Failed;
}

}  // namespace

RepairResult RepairInterruptedUpdate(const std::string& path, std::string& error) {
    const std::string newName = TemporaryNameOf(path, "_newGeotal");
    const std::string oldName = TemporaryNameOf(path, "_oldGeotal");
    struct stat photo {};
    struct stat old {};
    struct stat unfinished {};
    Presence photoPresence = Look(path, photo);
    Presence oldPresence = Look(oldName, old);

    if (photoPresence == Presence::Missing && oldPresence == Presence::Present) {
        // This writer swaps in one rename and never makes the old name; earlier versions moved
        // the photo aside under it first and the new file in next. Killed between the two,
        // they left the photo as it was under the old name alone.
        if (!RenameNoReplace(oldName, path)) {
            return Fail("Cannot rename back", oldName, error);
        }
        TraceValue("  Renamed back", oldName);
        photoPresence = Look(path, photo);
        oldPresence = Presence::Missing;
    }
    if (photoPresence != Presence::Present) {
        return RepairResult::Clean;  // no photo to write: the open will say so
    }
    if (Look(newName, unfinished) == Presence::Present) {
        // With the photo in place, the new file is never the only copy of anything. Gone by
        // the time it is removed is as good: on a case-blind card the system may still know a
        // file by a spelling whose other spelling was just renamed away.
        if (::unlink(newName.c_str()) != 0 && errno != ENOENT) {
            return Fail("Cannot remove", newName, error);
        }
        TraceValue("  Removed unfinished", newName);
    }
    if (oldPresence == Presence::Present) {
        if (old.st_dev != photo.st_dev || old.st_ino != photo.st_ino) {
            return RepairResult::OtherOldFile;
        }
        // A second name of the photo itself, left by an earlier version that made it with a
        // link before a swap that never came.
        if (::unlink(oldName.c_str()) != 0 && errno != ENOENT) {
            return Fail("Cannot remove", oldName, error);
        }
        TraceValue("  Removed second name", oldName);
    }
    return RepairResult::Clean;
}

}  // namespace geotal
