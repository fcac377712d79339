// The photo table the whole program works on: one record per photo file, in file-name order.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace geotal {

struct PhotoRecord {
    std::string fileName;  // without the folder, letter case kept
    // Seconds of arc, north and east positive; 0/0 means no position.
    double longitude = 0, latitude = 0;
    double captureTime = 0;          // camera clock, OLE Automation date; 0 means none
    std::optional<double> altitude;  // metres, from the track; none when the track had none
    bool marked = false;             // the row's check state
    int listItem = -1;               // the row in the list view; -1 means no row

    // Latitude 0 with longitude 0 is the one value that means "no position"; a photo on the
    // equator or on the prime meridian has one.
    bool HasPosition() const { return latitude != 0.0 || longitude != 0.0; }
};

struct PhotoList {
    std::vector<PhotoRecord> records;

    int Count() const { return static_cast<int>(records.size()); }
    PhotoRecord& operator[](int index) { return records[static_cast<std::size_t>(index)]; }
    const PhotoRecord& operator[](int index) const {
        return records[static_cast<std::size_t>(index)];
    }
    void Clear() { records.clear(); }
};

}  // namespace geotal
