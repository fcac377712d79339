// The sidecar names of a folder, read in one listing: a folder of photos without sidecars is
// then read without asking the file system for each name a sidecar could have.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace geotal {

class SidecarNames {
public:
    // The names ending in ".xmp" (any letter case) that folder holds now; none when it cannot
    // be listed.
    static std::optional<SidecarNames> List(const std::string& folder);

    // Whether a file named name (no folder) may be in the folder: a listed name equal to it,
    // ASCII letter case aside, as a file system that ignores case would find it. A name with
    // other than ASCII bytes always may, as such file systems fold more than ASCII letters,
    // and so may every name where the folder holds such a sidecar name.
    bool MayHold(std::string_view name) const;

private:
    std::unordered_set<std::string> folded_;  // the listed names, ASCII letters in lower case
    bool everyName_ = false;
};

}  // namespace geotal
