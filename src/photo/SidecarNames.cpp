#include "photo/SidecarNames.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "support/AsciiText.h"

namespace geotal {
namespace {

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

std::string Folded(std::string_view name) {
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), AsciiLower);
    return folded;
}

bool IsAscii(std::string_view name) {
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::optional<SidecarNames> SidecarNames::List(const std::string& folder) {
    const std::unique_ptr<DIR, DirectoryCloser> directory(
        ::opendir(folder.empty() ? "/" : folder.c_str()));
    if (!directory) {
        return std::nullopt;
    }
    SidecarNames names;
    errno = 0;
    while (const dirent* entry = ::readdir(directory.get())) {
        // Whatever its type: a name kept here is only looked at as before, with stat.
        if (EndsWithNoCase(entry->d_name, ".xmp")) {
            names.folded_.insert(Folded(entry->d_name));
            // A few other letters fold to ASCII ones (the Kelvin sign to k): where such a
            // name is there, every name may be.
            names.everyName_ = names.everyName_ || !IsAscii(entry->d_name);
        }
        errno = 0;
    }
    // A listing cut short by an error says nothing of the names it did not reach.
    if (errno != 0) {
        return std::nullopt;
    }
    return names;
}

bool SidecarNames::MayHold(std::string_view name) const {
    return everyName_ || !IsAscii(name) || folded_.count(Folded(name)) != 0;
}

}  // namespace geotal
