// Which photos keep their position in an XMP sidecar file, and where that file lies.
#pragma once

#include <string>

namespace geotal {

class SidecarNames;

// The largest sidecar read or edited. Real ones hold kilobytes, a raw developer's a few hundred;
// an XMP toolkit's model of a packet takes up to thirty times its size, so a larger file is
// refused with the reason rather than parsed.
inline constexpr long long kLargestSidecar = 8LL << 20;

// Why the file at path is no sidecar to parse for its size ("it holds 90 MB, more than..."),
// empty when it is not too large or not there.
std::string TooLargeForASidecar(const std::string& path);

// Whether a file name ends in ".jpg" or ".jpeg", in any letter case: the photos written in place.
bool IsJpegFileName(const std::string& name);

// The sidecar a new position goes to: NAME.xmp beside the photo at path (its last extension
// replaced), as most photo managers name it.
std::string DefaultSidecarPath(const std::string& path);

// The existing sidecar of the photo at path: NAME.xmp, else NAME.EXT.xmp (either in lower or
// upper case); empty when there is none. Given the listing of the photo's folder, a name it
// cannot hold is not looked for.
std::string ExistingSidecarPath(const std::string& path, const SidecarNames* listed = nullptr);

// How a new sidecar is named: IMG_1234.xmp, as most photo managers do, or IMG_1234.CR2.xmp, as
// others do, so that a RAW and a JPEG of one shot keep sidecars of their own.
enum class SidecarNaming { Name, NameExt };

// Where positions go beyond the RAW and HEIC photos that are never changed.
struct SidecarOptions {
    SidecarNaming naming = SidecarNaming::Name;
    bool sidecarOnly = false;  // a JPEG too keeps its bytes, its position going to a sidecar
};

// The sidecar the photo's position goes to: an existing one of the chosen naming, else one of
// the other naming (a second one is never made beside it), else a new one of the chosen naming.
// Given the listing of the photo's folder, a name it cannot hold is not looked for.
std::string SidecarPathFor(const std::string& path, SidecarNaming naming,
                           const SidecarNames* listed = nullptr);

}  // namespace geotal
