#include "photo/Sidecar.h"

#include <sys/stat.h>

#include "photo/SidecarNames.h"
#include "support/AsciiText.h"

namespace geotal {
namespace {

bool IsRegular(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// A name the listing cannot hold needs no stat; every other is asked for as it is now.
bool IsRegular(const std::string& path, const SidecarNames* listed) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    return (listed == nullptr || listed->MayHold(name)) && IsRegular(path);
}

// The path without its last extension; the whole path when its name has none.
std::string WithoutExtension(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    // A leading dot begins a hidden name, not an extension.
    if (dot == std::string::npos || dot <= nameStart) {
        return path;
    }
    return path.substr(0, dot);
}

}  // namespace

bool IsJpegFileName(const std::string& name) {
    return EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg");
}

std::string TooLargeForASidecar(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || status.st_size <= kLargestSidecar) {
        return {};
    }
    return "it holds " + std::to_string(status.st_size >> 20) + " MB, more than any XMP sidecar (" +
           std::to_string(kLargestSidecar >> 20) + " MB at most)";
}

std::string DefaultSidecarPath(const std::string& path) {
    return WithoutExtension(path) + ".xmp";
}

std::string ExistingSidecarPath(const std::string& path, const SidecarNames* listed) {
    const std::string base = WithoutExtension(path);
    for (const std::string& candidate :
         {base + ".xmp", base + ".XMP", path + ".xmp", path + ".XMP"}) {
        if (IsRegular(candidate, listed)) {
            return candidate;
        }
    }
    return {};
}

std::string SidecarPathFor(const std::string& path, SidecarNaming naming,
                           const SidecarNames* listed) {
    const std::string name = WithoutExtension(path);
    const std::string chosen = naming == SidecarNaming::Name ? name : path;
    const std::string other = naming == SidecarNaming::Name ? path : name;
    for (const std::string& candidate :
         {chosen + ".xmp", chosen + ".XMP", other + ".xmp", other + ".XMP"}) {
        if (IsRegular(candidate, listed)) {
            return candidate;
        }
    }
    return chosen + ".xmp";
}

}  // namespace geotal
