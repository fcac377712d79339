// Replacing a file's whole content so that the old content stays until the new is on disk.
#pragma once

#include <string>

namespace geotal {

// Writes bytes to a new file beside path, flushes it, then renames it over path. On failure
// the file at path is untouched, nothing is left beside it, and error names path and the
// system's reason. A replaced file keeps its permission bits; a new one gets the umask's.
bool ReplaceFileContents(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace geotal
