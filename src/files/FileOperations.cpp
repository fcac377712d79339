#include "files/FileOperations.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "support/SystemError.h"
#include "support/TraceLog.h"
#include "support/WholeFile.h"

namespace geotal {

bool WriteNewFile(const std::string& path, const void* data, std::size_t size, mode_t mode,
                  std::string& error, Flush flush) {
    return WriteNewFile(path, std::string_view(static_cast<const char*>(data), size), {}, mode,
                        error, flush);
}

bool WriteNewFile(const std::string& path, std::string_view head, const UnchangedTail& tail,
                  mode_t mode, std::string& error, Flush flush) {
    NewFile file;
    if (!file.Create(path, 0600)) {
        error = SystemErrorText("Cannot create", path);
        return false;
    }
    // fchmod, not the open mode: the umask must not narrow the photo's permissions.
    if (!file.SetPermissionBits(mode) || !file.Write(head.data(), head.size()) ||
        (!tail.bytes.empty() &&
         !file.CopyFrom(tail.source, tail.asRead, tail.offset, tail.bytes)) ||
        !file.Finish(flush)) {
        error = SystemErrorText("Cannot write", path);
        return false;
    }
    file.Keep();
    return true;
}

namespace {

bool IsSameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What is at to, which exists, compared with the source's bytes.
CopyResult CompareExisting(const std::string& from, const WholeFile& source, const std::string& to,
                           std::string& error) {
    struct stat fromStatus {};
    struct stat toStatus {};
    if (::stat(from.c_str(), &fromStatus) == 0 && ::stat(to.c_str(), &toStatus) == 0 &&
        IsSameFile(fromStatus, toStatus)) {
        error = "Cannot copy " + from + " onto itself";
        return CopyResult::Failed;
    }
    WholeFile existing;
    if (!ReadWholeFile(to, existing, error)) {
        return CopyResult::Failed;
    }
    return existing.bytes == source.bytes ? CopyResult::AlreadyThere : CopyResult::OtherFileThere;
}

}  // namespace

CopyResult CopyFileNoReplace(const std::string& from, const std::string& to, std::string& error) {
    WholeFile source;
    if (!ReadWholeFile(from, source, error)) {
        return CopyResult::Failed;
    }
    struct stat status {};
    if (::lstat(to.c_str(), &status) == 0) {
        return CompareExisting(from, source, to, error);
    }
    // Under a private name first, so a half copy never has the backup's name; the copy
    // folder is flushed by the caller, once for a whole batch.
    PutOptions options;
    options.mode = source.mode;
    const PutOutcome put = PutNewContents(to, source.bytes, options);
    switch (put.result) {
        case PutResult::Done:
        case PutResult::NotFlushed:
            return CopyResult::Copied;
        case PutResult::TargetChanged:
            return CompareExisting(from, source, to, error);  // another copy got there first
        case PutResult::NotCreated:
        case PutResult::Failed:
        case PutResult::NotRenamed:
        case PutResult::NotCarried:
            break;
    }
    error = SystemErrorText(put.result == PutResult::NotCreated ? "Cannot create" : "Cannot write",
                            to, put.code);
    errno = put.code;  // the caller tells a full disk from other failures
    return CopyResult::Failed;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

void RemovePartialCopies(const std::string& folder) {
    const std::string name = folder.empty() ? "." : folder;
    DIR* dir = ::opendir(name.c_str());
    if (dir == nullptr) {
        return;  // the copy itself will say what is wrong with the folder
    }
    std::vector<std::string> partials;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsUniqueNameOfOurs(entry->d_name)) {
            partials.push_back(name + "/" + entry->d_name);
        }
    }
    ::closedir(dir);
    for (const std::string& partial : partials) {
        struct stat status {};
        if (::lstat(partial.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::unlink(partial.c_str()) == 0) {
            TraceValue("  Removed a partial copy", partial);
        }
    }
}

}  // namespace geotal
