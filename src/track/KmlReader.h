// Reading KML 2.2 documents, and the KMZ archives that hold them, into the track store.
#pragma once

#include <string_view>

#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal {

// Takes the points of every gx:Track (each "when" paired in order with its "gx:coord", inside
// a gx:MultiTrack or not) and of every Placemark that has both a TimeStamp and a Point. A
// LineString, or a TimeSpan, has no time per point: such features give no points, and the
// note says how many there were. A broken document gives the points before the damage.
TrackReadResult ReadKmlText(std::string_view bytes, TrackStore& store);

// A KMZ is a zip archive: its doc.kml, else its first .kml member, is read as above.
TrackReadResult ReadKmzBytes(std::string_view bytes, TrackStore& store);

}  // namespace geotal
