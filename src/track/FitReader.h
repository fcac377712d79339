// Reading Garmin FIT activity files (watches, bike computers) into the track store.
#pragma once

#include <string_view>

#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal {

// One point per "record" message: its timestamp (a field of its own, or a compressed
// timestamp header counting on from the last full one), position_lat and position_long in
// semicircles, and enhanced_altitude, else altitude. Decoded from the protocol's own
// description: file header, definition and data messages in either byte order, developer
// fields skipped, chained files read one after another. A file that fails its CRC, or ends
// early, is read up to the damage and the note says so.
TrackReadResult ReadFitBytes(std::string_view bytes, TrackStore& store);

// The FIT CRC-16 of the bytes, continuing from crc.
unsigned FitCrc(std::string_view bytes, unsigned crc = 0);

}  // namespace geotal
