#include "metadata/MetadataMerge.h"

#include <optional>

#include "metadata/JpegGpsEdit.h"
#include "metadata/XmpGpsEdit.h"
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
    if (change.fields.empty()) {
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

}  // namespace

bool MergeMetadata(const std::string& source, const std::string& destination,
                   const ExifMetadata* exif, const IptcMetadata* iptc, const GpsChange& change,
                   MergeWay way, Flush flush, std::string& error, bool* unchanged) {
    WholeFile file;
    if (!ReadWholeFile(source, file, error)) {
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
    return WriteNewFile(destination, written.data(), written.size(), file.mode, error, flush);
}

}  // namespace geotal
