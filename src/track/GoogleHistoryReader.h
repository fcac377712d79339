// Reading Google location history into the track store: the Takeout Records.json, Semantic
// Location History month files, and the phone's own Timeline export.
#pragma once

#include <cstddef>
#include <string_view>

#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal {

// Only places with a time become points:
// - Records.json "locations": latitudeE7/longitudeE7 with "timestamp" or "timestampMs", and
//   "altitude";
// - Semantic history "timelineObjects": an activitySegment's start and end locations at its
//   start and end times and the timed points of its simplifiedRawPath; a placeVisit's location
//   at its start and at its end, and the timed points of its simplifiedRawPath;
// - Timeline "semanticSegments" (or a bare array of them): timelinePath points with their
//   "time" (or minutes after the segment's start), a visit's place and an activity's start
//   and end at the segment's times; "rawSignals" positions. Places are written
//   "48.8566°, 2.3522°" or "geo:48.8566,2.3522".
// Waypoints without times are counted in the note. The file is walked one entry at a time,
// so a history of a gigabyte needs little more memory than its text.
TrackReadResult ReadGoogleHistoryText(std::string_view bytes, TrackStore& store);

// The same, with entries of more than treeBytes bytes read from their text as they are asked
// rather than parsed into a tree (see WalkJsonElements).
TrackReadResult ReadGoogleHistoryText(std::string_view bytes, TrackStore& store,
                                      std::size_t treeBytes);

}  // namespace geotal
