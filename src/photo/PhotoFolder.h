// Reading the photo folder into the photo table.
#pragma once

#include <string>
#include <vector>

#include "photo/PhotoList.h"
#include "photo/PhotoMetadata.h"
#include "support/Progress.h"

namespace geotal {

// File-list order: names compared without regard to ASCII letter case, ties broken bytewise.
bool PhotoNameLess(const std::string& a, const std::string& b);

// Whether a file name ends in the extension of a photo format the metadata library reads
// (JPEG, the RAW formats, HEIC, AVIF, WebP, PNG, TIFF), in any letter case.
bool IsPhotoFileName(const std::string& name);

// The photo files of the folder (regular files only, not its subfolders), in file-list order.
// A folder that cannot be read gives none.
std::vector<std::string> ListPhotoFiles(const std::string& folder);

// Fills photos from the folder (trailing "/" removed; paths are folder + "/" + name): one
// record per photo file, checked exactly when it has no position. True when every photo was
// read, false when the user aborted; the photos not read keep no position and no time.
// Positions are read first from where the sidecar options write them (ReadPhotoFacts).
bool ReadPhotoFolder(const std::string& folder, PhotoList& photos, ProgressSink& progress,
                     const SidecarOptions& sidecars = {});

// Fills photos with the one photo at path, read as ReadPhotoFolder reads each of its photos.
bool ReadPhotoFile(const std::string& path, PhotoList& photos, ProgressSink& progress,
                   const SidecarOptions& sidecars = {});

}  // namespace geotal
