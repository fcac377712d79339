// The photo table the whole program works on: one record per photo file, in file-name order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "photo/PhotoTime.h"
#include "support/GeoPosition.h"

namespace geotal {

struct PhotoRecord {
    std::string fileName;  // without the folder, letter case kept
    // The position shown and written; none until the file gives one or one is calculated.
    MaybePosition position;
    // What the file itself holds, as last read or written: a failed write goes back to it, and
    // a position that differs from it is not written yet.
    MaybePosition stored;
    // The camera clock's reading as an OLE Automation date; none when the file gives none.
    std::optional<double> captureTime;
    // The photo's offset from UTC as the file records it (OffsetTimeOriginal, else OffsetTime),
    // unchecked; empty when it records none.
    std::string recordedOffset;
    std::string timeTag;  // the tag the capture time came from; see PhotoMetadata.h
    std::string camera;   // the camera that took it, as CameraName gives it; empty for none
    // The UTC moment the last calculation used and where it came from.
    PhotoTime time;
    bool marked = false;       // the row's check box
    bool writeFailed = false;  // the last Update could not write it
    // Remove Position was asked for and no position given since: Update takes the file's
    // position out. Only this makes a row without a position a removal; a calculation that
    // could not place a photo leaves it without one too, and must not empty its file.
    bool removing = false;
    // Why the photo has its position or none, or why its last write failed; shown on hover.
    std::string note;

    bool HasPosition() const { return position.has_value(); }
    // The file's position is to be taken out on Update.
    bool IsRemoval() const { return removing && !position && stored; }
    // What Update writes of it when it is checked: its position, or the removal of the file's.
    bool HasSomethingToWrite() const { return position.has_value() || IsRemoval(); }
    // A position not yet written, or a removal not yet made.
    bool IsUnwritten() const { return position ? position != stored : IsRemoval(); }
};

// The records of one photo folder, and the folder they were read from: a write goes there,
// whatever the folder field says by then.
struct PhotoList {
    std::string folder;
    std::vector<PhotoRecord> records;

    int Count() const { return static_cast<int>(records.size()); }
    PhotoRecord& operator[](int index) { return records[static_cast<std::size_t>(index)]; }
    const PhotoRecord& operator[](int index) const {
        return records[static_cast<std::size_t>(index)];
    }
    void Clear() {
        records.clear();
        folder.clear();
    }
    // The photos with a capture time and no position: those a calculation could not place.
    std::vector<int> Unplaced() const {
        std::vector<int> unplaced;
        for (int i = 0; i < Count(); ++i) {
            if ((*this)[i].captureTime && !(*this)[i].HasPosition()) {
                unplaced.push_back(i);
            }
        }
        return unplaced;
    }
    int UnwrittenCount() const {
        int count = 0;
        for (const PhotoRecord& record : records) {
            count += record.IsUnwritten() ? 1 : 0;
        }
        return count;
    }
};

}  // namespace geotal
