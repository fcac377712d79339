// Reading IGC flight logs (gliders, paragliders) into the track store.
#pragma once

#include <string_view>

#include "track/TrackFileReader.h"
#include "track/TrackStore.h"

namespace geotal {

// One point per B record: its UTC time on the date of the HFDTE header (either the old
// "HFDTEddmmyy" or the newer "HFDTEDATE:ddmmyy,nn"), a day later each time the clock passes
// midnight; DDMMmmm latitude and DDDMMmmm longitude; the GNSS altitude, or the pressure
// altitude when the GNSS one is 0. A log without a date gives no points, and says so: that it
// has no date header, or that the one it has gives an impossible date. A B record with an
// impossible time is counted without one and leaves the clock where it was.
TrackReadResult ReadIgcText(std::string_view bytes, TrackStore& store);

}  // namespace geotal
