#include "metadata/MetadataMerge.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "metadata/JpegGpsEdit.h"
#include "metadata/XmpGpsEdit.h"
#include "support/FileDescriptor.h"
#include "support/SystemError.h"
#include "support/TraceLog.h"
#include "support/WholeFile.h"

namespace geotal {
namespace {

// The whole new file with the GPS change made by the byte-level edit, every other byte in its
// place; else false, with why.
bool EditOnlyGps(const std::string& source, const std::string& bytes, const ExifMetadata& exif,
                 const GpsChange& change, std::string& edited, std::string& why) {
    if (SourceOf(exif) != source) {
        why = "the EXIF data was read from another file";
        return false;
    }
    if (change.fields.empty() && change.removed.empty()) {
        edited = bytes;  // nothing to change
        return true;
    }
    const GpsEditOutcome outcome = EditJpegGps(bytes, change, edited);
    if (outcome.result == GpsEditResult::Refused) {
        why = outcome.reason;
        return false;
    }
    if (!outcome.xmpLeft.empty()) {
        TraceValue("  XMP position left as it was", outcome.xmpLeft);
    }
    return true;
}

// The photo's XMP packet as it was, its position (if it holds one) changed as the EXIF one.
XmpPacketEdit XmpLikeExif(const GpsChange& change) {
    return [&change](const std::string& packet) -> std::optional<std::string> {
        std::string edited;
        if (EditXmpGps(packet, ToXmpGpsValues(change), edited) == XmpEditResult::Edited) {
            return edited;
        }
        return std::nullopt;
    };
}

// How many bytes both end with: the image data an edit of the head left as it was.
std::size_t CommonTail(std::string_view a, std::string_view b) {
    constexpr std::size_t kBlock = 4096;
    std::size_t same = 0;
    const std::size_t most = std::min(a.size(), b.size());
    // Block by block with memcmp, then byte by byte within the first block that differs.
    while (same + kBlock <= most && std::memcmp(a.data() + a.size() - same - kBlock,
                                                b.data() + b.size() - same - kBlock, kBlock) == 0) {
        same += kBlock;
    }
    while (same < most && a[a.size() - same - 1] == b[b.size() - same - 1]) {
        ++same;
    }
    return same;
}

}  // namespace

bool MergeMetadata(const std::string& source, const std::string& destination,
                   const ExifMetadata* exif, const IptcMetadata* iptc, const GpsChange& change,
                   MergeWay way, Flush flush, std::string& error, bool* unchanged) {
    // Kept open: the new file's unchanged tail can be copied from the very file that was read.
    const FileDescriptor fd(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0) {
        error = SystemErrorText("Cannot open", source);
        return false;
    }
    const FileIdentity asRead{status.st_dev, status.st_ino, status.st_size, status.st_mtim,
                              status.st_ctim};
    WholeFile file;
    if (!ReadWholeFile(fd.get(), source, file, error)) {
        return false;
    }
    std::string written;
    std::string why;
    if (way != MergeWay::OnlyWhatChanged || exif == nullptr ||
        !EditOnlyGps(source, file.bytes, *exif, change, written, why)) {
        if (way == MergeWay::OnlyWhatChanged && exif != nullptr) {
            Trace("  Every tag written anew: " + why);
        }
        const XmpPacketEdit keepXmp = XmpLikeExif(change);
        if (!RewriteMetadata(file.bytes, exif, iptc,
                             way == MergeWay::OnlyWhatChanged ? &keepXmp : nullptr, written,
                             error)) {
            return false;
        }
    }
    if (unchanged != nullptr) {
        *unchanged = written == file.bytes;
        if (*unchanged) {
            return true;
        }
    }
    UnchangedTail tail{fd.get(), asRead, 0, {}};
    // Beside the photo, the new file is on the photo's file system; NewFile::CopyFrom decides
    // for the bytes as they lie.
    if (UseKernelCopy(fd.get(), file.bytes.size(), true)) {
        const std::size_t same = CommonTail(written, file.bytes);
        tail.offset = static_cast<off_t>(file.bytes.size() - same);
        tail.bytes = std::string_view(written).substr(written.size() - same);
    }
    return WriteNewFile(destination,
                        std::string_view(written).substr(0, written.size() - tail.bytes.size()),
                        tail, file.mode, error, flush);
}

}  // namespace geotal
