// Path pieces of a photo file and the names of its temporary files ("/" separates folders).
#pragma once

#include <string>

namespace geotal {

// The text after the last "/"; the whole text if there is none.
std::string FileNameOf(const std::string& path);
// The text before the last "/"; empty if there is none.
std::string FolderOf(const std::string& path);
// The file name cut before its first "."; empty if the name has no dot.
std::string BaseNameOf(const std::string& path);

// The photo's temporary name beside it with the marker ("_newGeotal" or "_oldGeotal") before
// the extension: /p/IMG_0001.JPG gives /p/IMG_0001_newGeotal.JPG, /p/a.b.jpg gives
// /p/a_newGeotal.jpg. A name without a dot gets the marker at its end. When that name would be
// longer than a folder entry may be, the part before the marker is cut and followed by "~" and
// a fingerprint of the whole name.
std::string TemporaryNameOf(const std::string& path, const std::string& marker);

// Whether two file names may name one file where the file system folds names: FAT and exFAT
// (memory cards) ignore case, also of letters beyond ASCII, and FAT drops trailing dots and
// spaces. Errs towards yes: any letter beyond ASCII may fold into any other letter.
bool MayNameTheSameFile(const std::string& a, const std::string& b);

// Whether a file name is one of the temporary names above (the marker before a dot or at the
// end).
bool IsTemporaryName(const std::string& name);

}  // namespace geotal
