// geotal-cli restore --copy-from DIR PHOTO...|FOLDER: puts back what the copy folder keeps of
// the photos and sidecars that updates changed.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/InputFolder.h"
#include "cli/PhotoRow.h"
#include "cli/TerminalProgress.h"
#include "photo/PhotoPaths.h"
#include "photo/PhotoRestore.h"
#include "photo/PhotoWriter.h"
#include "support/AsciiText.h"

namespace geotal::cli {
namespace {

struct RestoreRequest {
    std::string copyFolder;
    bool dryRun = false;
    std::vector<std::string> photos;
    std::string folder;  // given a folder instead of photos
};

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

std::optional<int> ParseRestoreArguments(const std::vector<std::string>& args,
                                         RestoreRequest& request) {
    CLI::App app;
    SetUpCommandLine(
        app, kRestoreCommand,
        "Puts back the copies that updates with --copy-to (or the window's \"Make a copy of\n"
        "image files\") made in DIR: each JPEG's copy over the JPEG, each sidecar's copy over\n"
        "the sidecar, and a sidecar a run made (none was there before, so DIR holds no copy)\n"
        "is removed. Given a FOLDER, every photo of it; DIR's files of no photo there are named\n"
        "and left alone. A photo is restored only while it is the copy's photo with nothing\n"
        "changed but its position (the same image data and every other tag), a sidecar only\n"
        "where DIR's record (geotal-sidecars.txt) names the copy as this photo's and the\n"
        "sidecar holds the copy's properties but for its position, and a sidecar a run made\n"
        "is removed only while it holds nothing but a position: anything else is refused with\n"
        "the reason and left as it is. Each file is replaced as a write replaces a photo: the\n"
        "copy written beside it, flushed, renamed over it while it is still the file checked,\n"
        "its owner, mode and attributes kept. The copies stay in DIR.\n"
        "With --dry-run nothing changes: each line says what would be done.\n"
        "One line per photo on standard output; refusals on standard error.\n"
        "Exit status: 0 nothing refused, 1 some file refused or DIR unreadable, 2 wrong\n"
        "arguments.\n"
        "Use -- before photo names that start with '-'.");
    app.add_option("--copy-from", request.copyFolder, "the folder the copies were made in")
        ->required()
        ->type_name("DIR");
    app.add_flag("--dry-run", request.dryRun, "say what would be restored; change nothing");
    app.add_option("PHOTO", request.photos, "the photos, or one folder of photos")
        ->required()
        ->type_name("");
    if (const std::optional<int> status = ParseCommandLine(app, kRestoreCommand, args)) {
        return status;
    }
    request.copyFolder = WithoutTrailingSlashes(request.copyFolder);
    if (request.copyFolder.empty()) {
        return UsageError(kRestoreCommand, "--copy-from needs a folder");
    }
    if (request.photos.size() == 1 && IsFolder(request.photos[0])) {
        request.folder = WithoutTrailingSlashes(request.photos[0]);
        request.photos.clear();
        return std::nullopt;
    }
    for (const std::string& photo : request.photos) {
        if (IsFolder(photo)) {
            return UsageError(kRestoreCommand, "'" + EscapedName(photo) +
                                                   "' is a folder: give one folder alone, or "
                                                   "photos");
        }
    }
    return std::nullopt;
}

// Nothing when the folders will do; else the exit status after saying what is wrong.
std::optional<int> CheckRestoreFolders(const RestoreRequest& request) {
    if (!CheckInputFolder(kRestoreCommand, request.copyFolder, "--copy-from")) {
        return kUsageError;
    }
    std::vector<std::string> folders;
    if (!request.folder.empty()) {
        folders.push_back(request.folder);
    }
    for (const std::string& photo : request.photos) {
        folders.push_back(FolderOf(photo).empty() ? "." : FolderOf(photo));
    }
    for (const std::string& folder : folders) {
        if (IsSameFolder(request.copyFolder, folder)) {
            std::fprintf(stderr,
                         "geotal-cli: restore: --copy-from '%s' is the folder of the photos "
                         "itself; it holds the photos, not copies of them; nothing was restored\n",
                         EscapedName(request.copyFolder).c_str());
            return kUsageError;
        }
    }
    return std::nullopt;
}

void PrintLine(std::FILE* stream, const std::string& line, const std::string& path) {
    const std::string text = EscapedMessage(line, path);
    std::fprintf(stream, "%s\n", text.c_str());
}

// What was done, or would be, with one file of a photo; false for a refusal.
bool ReportFile(const std::string& path, const FileRestore& file, bool isSidecar, bool dryRun,
                std::vector<std::string>& notes) {
    const std::string what =
        path + ": " + (isSidecar ? "sidecar " + FileNameOf(file.file) + " " : std::string());
    const std::string note = file.reason.empty() ? "" : " (" + file.reason + ")";
    switch (file.action) {
        case RestoreAction::Restore:
            PrintLine(
                stdout,
                what + (dryRun ? "would be restored from " : "restored from ") + file.copy + note,
                path);
            return true;
        case RestoreAction::Remove:
            PrintLine(stdout, what + (dryRun ? "would be removed" : "removed") + note, path);
            return true;
        case RestoreAction::Refused:
            PrintLine(stderr, what + (dryRun ? "would be refused: " : "refused: ") + file.reason,
                      path);
            return false;
        case RestoreAction::None:
            if (!file.reason.empty()) {
                notes.push_back((isSidecar ? "sidecar " + FileNameOf(file.file) + ": " : "") +
                                file.reason);
            }
            return true;
    }
    return true;
}

void PrintStrays(const RestorePlan& plan, const std::string& folder) {
    if (plan.strays.empty()) {
        return;
    }
    constexpr std::size_t kShown = 10;
    std::string names;
    for (std::size_t i = 0; i < plan.strays.size() && i < kShown; ++i) {
        names += (i == 0 ? "" : ", ") + EscapedName(plan.strays[i]);
    }
    if (plan.strays.size() > kShown) {
        names += " and " + std::to_string(plan.strays.size() - kShown) + " more";
    }
    std::printf("%s holds %zu %s of no photo in %s, left alone: %s\n",
                EscapedName(plan.copyFolder).c_str(), plan.strays.size(),
                plan.strays.size() == 1 ? "file" : "files", EscapedName(folder).c_str(),
                names.c_str());
}

int Restore(const RestoreRequest& request) {
    TerminalProgress progress;
    RestorePlan plan = request.folder.empty()
                           ? PlanRestore(request.copyFolder, request.photos, progress)
                           : PlanFolderRestore(request.copyFolder, request.folder, progress);
    if (!plan.refusal.empty()) {
        std::fprintf(stderr, "geotal-cli: restore: %s; nothing was restored\n",
                     EscapedMessage(plan.refusal, request.copyFolder).c_str());
        return 1;
    }
    if (!request.dryRun) {
        CarryOut(plan, progress);
    }
    for (const PhotoRestore& photo : plan.photos) {
        std::vector<std::string> notes;
        const bool photoDone = ReportFile(photo.path, photo.photo, false, request.dryRun, notes);
        const bool sidecarDone = ReportFile(photo.path, photo.sidecar, true, request.dryRun, notes);
        if (photoDone && sidecarDone && photo.photo.action == RestoreAction::None &&
            photo.sidecar.action == RestoreAction::None) {
            std::string text = photo.path + ": nothing to restore";
            for (std::size_t i = 0; i < notes.size(); ++i) {
                text += (i == 0 ? " (" : "; ") + notes[i];
            }
            PrintLine(stdout, text + (notes.empty() ? "" : ")"), photo.path);
        }
    }
    if (!request.folder.empty()) {
        PrintStrays(plan, request.folder);
    }
    const RestoreCounts counts = CountsOf(plan);
    std::printf("%s\n", RestoreCountsText(counts, request.dryRun).c_str());
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "geotal-cli: restore: could not write the list\n");
        return 1;
    }
    return counts.refused > 0 ? 1 : 0;
}

int RunRestoreCommand(const std::vector<std::string>& args) {
    RestoreRequest request;
    if (const std::optional<int> status = ParseRestoreArguments(args, request)) {
        return *status;
    }
    if (const std::optional<int> status = CheckRestoreFolders(request)) {
        return *status;
    }
    return Restore(request);
}

}  // namespace

const Command kRestoreCommand = {
    "restore", "--copy-from DIR [--dry-run] PHOTO...|FOLDER",
    "put back the copies an update made in DIR (photos and sidecars); remove sidecars a run made",
    RunRestoreCommand};

}  // namespace geotal::cli
