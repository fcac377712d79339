// Reading GeoJSON logs (GPSLogger, Overland, OwnTracks and togeojson exports) into the track
// store.
#pragma once

#include <cstddef>
#include <string_view>

#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal {

// Takes every Point feature whose properties give a time (GPSLogger "time", Overland
// "timestamp", OwnTracks "tst", or "datetime", "date", "when", "recorded_at"), as an ISO text
// or seconds since 1970; the altitude is the third coordinate, else an "altitude" property.
// LineString and MultiLineString features give their points when "coordTimes" gives each a
// time; the note counts those without. Features are read from a FeatureCollection, an
// Overland "locations" list or a bare array of features.
TrackReadResult ReadGeoJsonText(std::string_view bytes, TrackStore& store);

// The same, with features of more than treeBytes bytes read from their text as they are
// asked rather than parsed into a tree (see WalkJsonElements).
TrackReadResult ReadGeoJsonText(std::string_view bytes, TrackStore& store, std::size_t treeBytes);

}  // namespace geotal
