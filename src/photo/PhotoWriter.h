// Writing a position into a photo file: optional backup copy, GPS tags, safe swap.
#pragma once

#include <string>

#include "photo/PhotoPaths.h"

namespace geotal {

enum class WriteResult {
    Failed = 0,   // this file failed; the run goes on with the next one
    Written = 1,  // the file now carries the position
    StopRun = 2,  // internal range error; the run stops after this file
};

struct WriteOutcome {
    WriteResult result = WriteResult::Failed;
    int code = 0;         // the failing step, 0 on success
    std::string message;  // the text to show the user; empty when there is none
};

// Failing steps of PutFileLongLat.
enum WriteCode : int {
    kNoExif = 1,
    kTagNotSet = 2,
    kDegreeRange = 3,
    kMinuteRange = 4,
    kMergeFailed = 5,
    kRenameOldFailed = 6,
    kRenameNewFailed = 7,
    kDeleteOldFailed = 8,
    kCopyFailed = 9,  // the backup copy was asked for and could not be made
};

// One coordinate in seconds of arc split into whole degrees, whole minutes and seconds.
struct DmsParts {
    double degrees = 0, minutes = 0, seconds = 0;
};

// Splits a value that is not negative by truncation, never rounding up into the next minute.
DmsParts SplitDms(double secondsOfArc);

// 0 when both coordinates are in range, else kDegreeRange or kMinuteRange.
int CheckDmsRange(const DmsParts& latitude, const DmsParts& longitude);

// Whether copies can be made there: a non-empty path of an existing, writable folder.
bool IsUsableCopyFolder(const std::string& folder);

class PhotoWriter {
public:
    void SetCopyOptions(bool copyFiles, const std::string& copyFolder);

    // Writes latitude and longitude (seconds of arc, signed) and altitude (metres, negative
    // below sea level) as EXIF GPS tags. The photo's name holds either the old or the new
    // whole file at every instant.
    WriteOutcome PutFileLongLat(const std::string& path, double latitude, double longitude,
                                double altitude);

private:
    WriteOutcome Write(const std::string& path, double latitude, double longitude, double altitude);

    bool copyFiles_ = false;
    std::string copyFolder_;
};

}  // namespace geotal
