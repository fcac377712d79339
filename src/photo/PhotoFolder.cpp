#include "photo/PhotoFolder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "photo/PhotoPaths.h"
#include "photo/SidecarNames.h"
#include "support/AsciiText.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

// Directories and devices that happen to match are no photos; a pipe would block the reading.
bool IsRegularFile(const std::string& folder, const dirent& entry) {
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) {
        return false;
    }
    struct stat status {};
    return ::stat((folder + "/" + entry.d_name).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Closes the directory stream on every way out.
struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

}  // namespace

bool PhotoNameLess(const std::string& a, const std::string& b) {
    const auto lower = [](char x, char y) {
        return static_cast<unsigned char>(AsciiLower(x)) <
               static_cast<unsigned char>(AsciiLower(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lower)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lower)) {
        return false;
    }
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

bool IsPhotoFileName(const std::string& name) {
    // The formats whose metadata the library reads; sidecars (.xmp) hold no image of their own.
    static constexpr const char* kExtensions[] = {
        ".jpg",  ".jpeg", ".cr2", ".cr3",  ".crw",  ".nef", ".nrw", ".arw", ".sr2", ".srf",
        ".orf",  ".rw2",  ".raf", ".pef",  ".dng",  ".srw", ".3fr", ".iiq", ".mrw", ".gpr",
        ".heic", ".heif", ".hif", ".avif", ".webp", ".png", ".tif", ".tiff"};
    for (const char* extension : kExtensions) {
        if (EndsWithNoCase(name, extension)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> ListPhotoFiles(const std::string& folder) {
    std::vector<std::string> names;
    // An empty folder text stands for the root, as "" + "/" + name suggests.
    const std::string listed = folder.empty() ? std::string("/") : folder;
    const std::unique_ptr<DIR, DirectoryCloser> directory(::opendir(listed.c_str()));
    if (!directory) {
        return names;
    }
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string name = entry->d_name;
        // The files of an interrupted update are the writer's, not photos of their own.
        if (IsPhotoFileName(name) && !IsTemporaryName(name) && IsRegularFile(listed, *entry)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), PhotoNameLess);
    return names;
}

namespace {

// One record per name, read in order with the progress the window shows for a folder.
// listed, when given, is the folder's listing of sidecar names.
bool ReadListedPhotos(const std::string& folder, std::vector<std::string> names, PhotoList& photos,
                      ProgressSink& progress, const SidecarOptions& sidecars,
                      const SidecarNames* listed) {
    photos.Clear();
    photos.folder = folder;
    for (std::string& name : names) {
        PhotoRecord record;
        record.fileName = std::move(name);
        photos.records.push_back(std::move(record));
    }

    char status[64];
    std::snprintf(status, sizeof status, "Reading %d image files...", photos.Count());
    progress.Begin(status, photos.Count() - 1);
    bool complete = true;
    for (int i = 0; i < photos.Count(); ++i) {
        PhotoRecord& photo = photos[i];
        const std::string path = folder + "/" + photo.fileName;
        TraceValue("Reading file", path);
        PhotoFacts facts;
        const bool timed = ReadPhotoFacts(path, facts, sidecars, listed);
        photo.position = facts.position;
        photo.captureTime = facts.captureTime;
        photo.recordedOffset = std::move(facts.recordedOffset);
        photo.timeTag = std::move(facts.timeTag);
        photo.camera = std::move(facts.camera);
        photo.note = std::move(facts.note);
        if (timed && IsTraceEnabled()) {
            // The numbers as they are held, 0/0 for none, as the trace has always shown.
            char line[1024];
            std::snprintf(line, sizeof line, "  Time = %f lat=%f  long=%f", *photo.captureTime,
                          photo.position ? photo.position->latitude : 0.0,
                          photo.position ? photo.position->longitude : 0.0);
            Trace(line);
        }
        photo.stored = photo.position;
        photo.marked = !photo.HasPosition();
        progress.SetPosition(i);
        progress.Pump();
        if (progress.AbortRequested()) {
            complete = false;
            break;
        }
    }
    progress.End();
    progress.ClearAbort();
    return complete;
}

}  // namespace

bool ReadPhotoFolder(const std::string& folderText, PhotoList& photos, ProgressSink& progress,
                     const SidecarOptions& sidecars) {
    const std::string folder = WithoutTrailingSlashes(folderText);
    std::vector<std::string> names = ListPhotoFiles(folder);
    // One more listing of the folder spares each photo up to four stat calls for sidecars
    // that are not there, the common case for JPEGs.
    const std::optional<SidecarNames> listed = SidecarNames::List(folder);
    return ReadListedPhotos(folder, std::move(names), photos, progress, sidecars,
                            listed ? &*listed : nullptr);
}

bool ReadPhotoFile(const std::string& path, PhotoList& photos, ProgressSink& progress,
                   const SidecarOptions& sidecars) {
    // A bare name lies in the current folder; "" + "/" would make it one in the root.
    const std::string folder = path.find('/') == std::string::npos ? "." : FolderOf(path);
    return ReadListedPhotos(folder, {FileNameOf(path)}, photos, progress, sidecars, nullptr);
}

}  // namespace geotal
