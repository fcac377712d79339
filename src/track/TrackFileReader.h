// Reading one track file of any format Geotal knows into the track store, with its counts.
#pragma once

#include <string>
#include <string_view>

#include "track/TrackFormat.h"
#include "track/TrackPointGate.h"
#include "track/TrackStore.h"

namespace geotal {

// What a format reader hands back besides the points it appended: the points left out, and
// a note the user should see about the file as a whole (such as why it gave nothing), or
// nothing.
struct TrackReadResult {
    SkippedPoints skipped;
    std::string note;

    // Adds one remark to the note, after a "; " where it holds one already.
    void AddNote(const std::string& part) { note += note.empty() ? part : "; " + part; }
    // For a file damaged part-way (damage says where), nothing for an intact one.
    void AddDamage(const std::string& damage) {
        if (!damage.empty()) {
            AddNote(damage + "; the points before it were read");
        }
    }
};

// Every format reader has this shape: the whole file in memory in, points into the store.
using TrackTextReader = TrackReadResult (*)(std::string_view bytes, TrackStore& store);

// What one file of a load gave, for the trace, the command line and the window.
struct TrackFileReport {
    std::string path;
    TrackFormat format = TrackFormat::Gpx;
    bool readable = false;  // false when the file could not be read at all
    int positions = 0;      // points that reached the store
    SkippedPoints skipped;
    std::string note;  // the reader's note, or for a file that could not be read the reason
};

// Reads the file as the format, appends its points and traces one line of counts (and one
// line of skipped points when there are some). Never throws for bad content, nor when memory
// runs out: the note says so and the points read before stay in the store.
TrackFileReport ReadTrackFile(const std::string& path, TrackFormat format, TrackStore& store);

// "GPX, 12 positions", then ", 3 points skipped" and "; " and the note when there are some,
// or "could not be read" and the reason, such as " (Is a directory)", for an unreadable file.
std::string DescribeTrackFile(const TrackFileReport& report);

}  // namespace geotal
