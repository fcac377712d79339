// Finishing or undoing what an interrupted update (a killed process, a power cut) left beside
// a photo, judged from what is on disk alone.
#pragma once

#include <string>

namespace geotal {

enum class RepairResult {
    Clean,         // nothing was left, or all of it was repaired: the write can go on
    OtherOldFile,  // the old temporary name holds a file that is not the photo: left alone
    Failed,        // a repair step failed; error names the file and the reason
};

// For the photo at path (no symbolic link):
// - photo missing, old temporary file present: the old file is the photo, never replaced;
//   it gets the photo's name back;
// - photo present, new temporary file present: the unfinished new file is removed;
// - photo present, old temporary name a second name of the photo itself: that name is removed;
// - photo present, old temporary name another file: OtherOldFile.
// Each repair is traced.
RepairResult RepairInterruptedUpdate(const std::string& path, std::string& error);

}  // namespace geotal
