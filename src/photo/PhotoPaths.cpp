#include "photo/PhotoPaths.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace geotal {
namespace {

constexpr const char* kMarkers[] = {"_newGeotal", "_oldGeotal"};

// FNV-1a: a stable fingerprint of the photo's name for a shortened temporary name.
std::uint32_t NameHash(const std::string& name) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char byte : name) {
        hash = (hash ^ byte) * 16777619u;
    }
    return hash;
}

// At most size bytes of text, never ending inside a UTF-8 letter.
std::string CutAtLetter(const std::string& text, std::size_t size) {
    if (text.size() <= size) {
        return text;
    }
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) {
        --size;
    }
    return text.substr(0, size);
}

// The letters of a name as a file system that folds names compares them: ASCII in lower case,
// every other letter as -1, which matches any; trailing dots and spaces dropped.
std::vector<int> Folded(const std::string& name) {
    std::size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) {
        --end;
    }
    std::vector<int> letters;
    for (std::size_t i = 0; i < end; ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x80) {
            letters.push_back(std::tolower(byte));
        } else if ((byte & 0xC0) != 0x80) {
            letters.push_back(-1);  // the first byte of a letter; its other bytes add nothing
        }
    }
    return letters;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.find('.');
    return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

std::string TemporaryNameOf(const std::string& path, const std::string& marker) {
    // Built from the file name alone, so a dot in a folder name or a relative path cannot
    // send the temporary file into another folder.
    const std::string folderPart = path.substr(0, path.size() - FileNameOf(path).size());
    const std::string name = FileNameOf(path);
    const bool hasDot = name.find('.') != std::string::npos;
    const std::string stem = hasDot ? BaseNameOf(path) : name;
    std::string dotExtension = hasDot ? name.substr(name.rfind('.')) : std::string();
    if (stem.size() + marker.size() + dotExtension.size() <= NAME_MAX) {
        return folderPart + stem + marker + dotExtension;
    }
    // Too long for the folder: a cut stem and a fingerprint of the whole name, so that two long
    // names that differ only past the cut still get temporary names of their own.
    char fingerprint[16];
    std::snprintf(fingerprint, sizeof fingerprint, "~%08x", NameHash(name));
    const std::string fixed = fingerprint + marker;
    if (fixed.size() + dotExtension.size() > NAME_MAX) {
        dotExtension.clear();  // an extension that long leaves room for nothing else
    }
    const std::size_t room = NAME_MAX - fixed.size() - dotExtension.size();
    return folderPart + CutAtLetter(stem, room) + fixed + dotExtension;
}

bool MayNameTheSameFile(const std::string& a, const std::string& b) {
    const std::vector<int> first = Folded(a);
    const std::vector<int> second = Folded(b);
    if (first.size() != second.size()) {
        return false;
    }
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (first[i] != second[i] && first[i] != -1 && second[i] != -1) {
            return false;
        }
    }
    return true;
}

bool IsTemporaryName(const std::string& name) {
    for (const char* marker : kMarkers) {
        if (name.find(std::string(marker) + ".") != std::string::npos || EndsWith(name, marker)) {
            return true;
        }
    }
    return false;
}

}  // namespace geotal
