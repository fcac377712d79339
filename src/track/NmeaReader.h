// Reading NMEA 0183 logs (RMC, GGA, ZDA and Magellan PMGNTRK sentences) into the track store.
#pragma once

#include <string_view>

#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal {

// One point per fix: the RMC and GGA sentences of one moment are joined into one point, the
// RMC (or ZDA) giving the date and the GGA the altitude, when their positions agree (within
// 300 m); sentences of one time that are farther apart are points of their own. A GGA takes the
// date of the last RMC or ZDA before it, a day later when its time has passed midnight since; GGA
// fixes before the first date take that date back. Sentences whose checksum is present and wrong
// are left out, and so are void fixes (RMC status V, GGA quality 0). UTF-16 text is read as well.
TrackReadResult ReadNmeaText(std::string_view bytes, TrackStore& store);

}  // namespace geotal
