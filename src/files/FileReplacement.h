// Putting a new file in the place of another, or under a name nothing has yet, so that the name
// holds one whole file at every instant and a failure at any step loses nothing.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileIdentity.h"

namespace geotal {

// Whether a new file is flushed to disk as it is written, or later with others of its batch.
enum class Flush { Now, Later };

// Flushes a folder's entries to disk; false, with errno set, when it could not.
using FolderFlush = std::function<bool(const std::string& folder)>;

// The folder a name is in, as open() takes it: "." for a bare name, "/" at the root.
std::string FolderOfName(const std::string& path);

// A name of our own beside target: a dot, the start of target's file name and
// ".geotal-PID-ATTEMPT", the start cut so that the whole fits a folder entry (NAME_MAX bytes)
// without splitting a UTF-8 character.
std::string UniqueNameBeside(const std::string& target, int attempt);

// Whether a file name is one UniqueNameBeside makes for a file named targetName (no folder), in
// any process and at any attempt.
bool IsUniqueNameBeside(std::string_view fileName, std::string_view targetName);

// Whether a file name is one UniqueNameBeside makes, or one of mkstemp's ".geotal-XXXXXX" that
// earlier versions made for partial copies.
bool IsUniqueNameOfOurs(std::string_view fileName);

// fchmod where the file system keeps permission bits; FAT and exFAT refuse them, and a file
// there is written all the same.
bool SetPermissionBits(int fd, mode_t mode);

// Renames, failing with EEXIST when to already exists.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Removes name only while it holds the file written (same file, size and times): a file that
// another program put under the name meanwhile is left alone.
bool RemoveIfOurs(const std::string& name, const FileIdentity& written);

// A file this process created exclusively, being written. Unless kept, it is removed when it
// goes out of scope, so that no failure leaves it behind.
class NewFile {
public:
    NewFile() = default;
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Creates name, failing (errno EEXIST) when anything has that name, a link included. The
    // mode is narrowed by the umask.
    bool Create(const std::string& name, mode_t mode);
    // Creates a file of a UniqueNameBeside target.
    bool CreateBeside(const std::string& target, mode_t mode);

    bool SetPermissionBits(mode_t mode);
    bool Write(const void* data, std::size_t size);
    // Appends bytes that the open file source holds at offset, source being as asRead says
    // (the file they were read from, unchanged since). The kernel copies them from there where
    // UseKernelCopy says so, which spares copying them through this process (and shares their
    // whole blocks on a file system that can); they are written from memory where it does not,
    // where the kernel cannot copy them, and where source changed before or during the copy.
    bool CopyFrom(int source, const FileIdentity& asRead, off_t offset, std::string_view bytes);
    // With Flush::Now flushes the content to disk; then closes the file, which can report a late
    // write error, and takes its identity for the checks before a rename.
    bool Finish(Flush flush);

    const std::string& name() const { return name_; }
    int descriptor() const { return fd_; }
    const FileIdentity& identity() const { return identity_; }

    // Leaves the file under its name, for the caller to put in place or remove.
    void Keep() { kept_ = true; }

private:
    bool NamesOurFile() const;

    std::string name_;
    int fd_ = -1;
    FileIdentity identity_;
    bool kept_ = false;
};

// Whether a new file gets bytes another file already holds by the kernel's copy
// (copy_file_range) or from memory.
enum class KernelCopy {
    WhereItPays,  // by the kernel where the file system shares or copies faster that way
    Always,       // by the kernel wherever it can
    Never,        // from memory
};

// The way for this process; tests set the other two to compare both ways.
void SetKernelCopy(KernelCopy way);

// Whether size bytes for the file open as fd are copied by the kernel, by the way set;
// shareable says they lie alike in both files, as blocks a file system can share.
bool UseKernelCopy(int fd, std::size_t size, bool shareable);

enum class SwapResult {
    Done,
    NewFileTaken,   // the new name no longer holds the file written; it was left alone
    TargetChanged,  // the target is not the file it was (or, new, a file appeared there)
    TargetGone,     // the file expected at the target was removed; it is not made anew
    Failed,         // the rename itself failed; errno says why
};

// Renames newName over target in one rename, only while newName still holds the file written
// and target still holds the file expected, unchanged; with no file expected, only while
// nothing has target's name, the rename refusing one that comes meanwhile. Unless newName was
// taken over, it is removed on failure. Folders are not flushed here.
SwapResult SwapIn(const std::string& newName, const FileIdentity& written,
                  const std::string& target, const std::optional<FileIdentity>& expected);

// Flushes every folder, each once; false when any flush failed, with errno of the first.
bool FlushFolders(const std::vector<std::string>& folders, const FolderFlush& flush);

struct PutOptions {
    // The file at the target as read: it is replaced only while it is still that file. None:
    // the target must not exist, and an existing one is never replaced.
    std::optional<FileIdentity> expected;
    // The new file's permission bits; none lets the umask decide.
    std::optional<mode_t> mode;
    // Called with the target's folder after the rename; empty when the caller flushes it later.
    FolderFlush flushFolder;
    // The file whose owner, group, extended attributes (its ACL among them) and permission bits
    // the new file takes before it is put in place; none leaves the new file as made.
    std::optional<std::string> carryFrom;
};

enum class PutResult {
    Done,
    NotCreated,     // no new file could be made beside the target
    Failed,         // the new file could not be written or flushed
    NotRenamed,     // the rename onto the target failed
    TargetChanged,  // another program changed, removed or made the target meanwhile
    NotFlushed,     // the target holds the new content, but its folder could not be flushed
    NotCarried,     // the new file could not take carryFrom's owner or attributes; detail says why
};

struct PutOutcome {
    PutResult result = PutResult::Failed;
    int code = 0;        // the system's error number of a failure
    std::string detail;  // for NotCarried, what could not be carried over and why
};

// Writes bytes to a new file beside target, flushes it, checks the target and renames the new
// file onto it, then flushes the folder. Until the rename, a failure leaves the target as it was
// and removes the new file.
PutOutcome PutNewContents(const std::string& target, std::string_view bytes,
                          const PutOptions& options);

}  // namespace geotal
