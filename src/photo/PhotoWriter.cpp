#include "photo/PhotoWriter.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cmath>

#include "photo/FileOperations.h"
#include "photo/MetadataLibrary.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

WriteOutcome Failure(int code, std::string message = {}) {
    const WriteResult result =
        code == kDegreeRange || code == kMinuteRange ? WriteResult::StopRun : WriteResult::Failed;
    return {result, code, std::move(message)};
}

}  // namespace

DmsParts SplitDms(double value) {
    DmsParts parts;
    parts.degrees = std::floor(value / 3600);
    // The quotient can round up to the next whole number just below it; step back then.
    if (parts.degrees * 3600 > value) {
        parts.degrees -= 1;
    }
    const double rest = value - parts.degrees * 3600;
    parts.minutes = std::floor(rest / 60);
    if (parts.minutes * 60 > rest) {
        parts.minutes -= 1;
    }
    parts.seconds = rest - parts.minutes * 60;
    return parts;
}

int CheckDmsRange(const DmsParts& latitude, const DmsParts& longitude) {
    // Written as "not within" so that a value that is not a number fails too.
    if (!(latitude.degrees <= 90) || !(longitude.degrees <= 180)) {
        return kDegreeRange;
    }
    if (!(latitude.minutes <= 59.999) || !(longitude.minutes <= 59.999)) {
        return kMinuteRange;
    }
    return 0;
}

bool IsUsableCopyFolder(const std::string& folder) {
    struct stat status {};
    return !folder.empty() && ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

void PhotoWriter::SetCopyOptions(bool copyFiles, const std::string& copyFolder) {
    copyFiles_ = copyFiles;
    copyFolder_ = copyFolder;
}

WriteOutcome PhotoWriter::PutFileLongLat(const std::string& path, double latitude, double longitude,
                                         double altitude) {
    Trace("Start PutFileLongLat");
    WriteOutcome outcome = Write(path, latitude, longitude, altitude);
    if (outcome.code != 0) {
        TraceValue("  Catch error", outcome.code);
    }
    Trace("End PutFileLongLat");
    return outcome;
}

WriteOutcome PhotoWriter::Write(const std::string& path, double latitude, double longitude,
                                double altitude) {
    const std::string version = "2200";
    if (copyFiles_) {
        std::string error;
        // A backup that could not be made must not be followed by a change to the original.
        if (!CopyFileReplacing(path, copyFolder_ + "/" + FileNameOf(path), error)) {
            TraceValue("  Copy failed", error);
            return Failure(kCopyFailed, "Error copying file : " + path + "\n");
        }
    }

    ExifHandle exif;
    IptcHandle iptc;
    if (cGetImageFileMetadata(path, 1, 1, exif, iptc) == 0) {
        cGetImageFileMetadata(path, 0, 1, exif, iptc);
    }
    if (!exif) {
        return Failure(kNoExif);
    }

    const char* latitudeRef = "N";
    if (latitude < 0) {
        latitudeRef = "S";
        latitude = -latitude;
    }
    const char* longitudeRef = "E";
    if (longitude < 0) {
        longitudeRef = "W";
        longitude = -longitude;
    }
    const DmsParts lat = SplitDms(latitude);
    const DmsParts lon = SplitDms(longitude);
    switch (CheckDmsRange(lat, lon)) {
        case kDegreeRange:
            return Failure(kDegreeRange,
                           "Internal Error: Degree range out of bounds. Please contact Tarsel "
                           "Helpdesk");
        case kMinuteRange:
            return Failure(kMinuteRange,
                           "Internal Error: Minute range out of bounds. Please contact Tarsel "
                           "Helpdesk");
        default:
            break;
    }
    int altitudeRef = 0;
    if (altitude < 0) {
        altitudeRef = 1;
        altitude = -altitude;
    }

    Trace("  Update");
    ExifMetadata* tags = exif.get();
    const bool tagsSet = cEXIF_PutGPSVersion(tags, version) != 0 &&
                         cEXIF_PutGPSLatitude(tags, lat.degrees, lat.minutes, lat.seconds) != 0 &&
                         cEXIF_PutGPSLongitude(tags, lon.degrees, lon.minutes, lon.seconds) != 0 &&
                         cEXIF_PutGPSLatitudeRef(tags, latitudeRef) != 0 &&
                         cEXIF_PutGPSLongitudeRef(tags, longitudeRef) != 0 &&
                         cEXIF_PutGPSAltitude(tags, altitude) != 0 &&
                         cEXIF_PutGPSAltitudeRef(tags, altitudeRef) != 0;
    if (!tagsSet) {
        return Failure(kTagNotSet);
    }

    Trace("  Merge");
    const std::string newName = TemporaryNameOf(path, "_newGeotal");
    const std::string oldName = TemporaryNameOf(path, "_oldGeotal");
    std::string libraryError;
    if (cMergeMetadata(path, newName, exif.get(), iptc.get(), libraryError) == 0) {
        return Failure(kMergeFailed, "Error Updating file : " + path + " \n" + libraryError + "\n");
    }
    // The new file is whole and on disk before the photo's name is touched.
    KeptBy keptBy = KeptBy::HardLink;
    if (!KeepUnderOldName(path, oldName, keptBy)) {
        return Failure(kRenameOldFailed, "Error Renaming old file : " + path + "\n");
    }
    if (!PutInPlace(newName, path, keptBy)) {
        // Give the photo its name back: the old content is still whole under the old name.
        if (keptBy == KeptBy::HardLink) {
            RemoveFile(oldName);
        } else {
            RenameNoReplace(oldName, path);
        }
        return Failure(kRenameNewFailed, "Error renaming new file : " + path + "\n");
    }
    if (!RemoveFile(oldName)) {
        return Failure(kDeleteOldFailed, "Error deleting old file : " + oldName + "\n");
    }

    Trace("  Destroy");
    cDestroyEXIF(exif);
    if (iptc) {
        cDestroyIPTC(iptc);
    }
    return {WriteResult::Written, 0, {}};
}

}  // namespace geotal
