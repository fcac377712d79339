// Path pieces of a photo file and the names of its temporary files ("/" separates folders).
#pragma once

#include <string>

namespace geotal {

// The text after the last "/"; the whole text if there is none.
std::string FileNameOf(const std::string& path);
// The text before the last "/"; empty if there is none.
std::string FolderOf(const std::string& path);
// The text after the last "." of the whole path; the whole text if there is none.
std::string ExtensionOf(const std::string& path);
// The file name cut before its first "."; empty if the name has no dot.
std::string BaseNameOf(const std::string& path);

// The photo's temporary name beside it with the marker ("_newGeotal" or "_oldGeotal") before
// the extension: /p/IMG_0001.JPG gives /p/IMG_0001_newGeotal.JPG, /p/a.b.jpg gives
// /p/a_newGeotal.jpg. A name without a dot gets the marker at its end.
std::string TemporaryNameOf(const std::string& path, const std::string& marker);

}  // namespace geotal
