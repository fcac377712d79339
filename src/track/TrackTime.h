// Reading the time of a track point, with the fraction of a second devices write.
#pragma once

#include <string_view>

namespace geotal {

// The day count of a date-time text as ParseDateTimeText reads it (0 when it cannot be read),
// with the fraction of a second after hh:mm:ss kept rather than dropped (fixes a second apart
// and less matter to a photo taken between them), and a blank before the zone allowed.
double ParseTrackTime(std::string_view text);

}  // namespace geotal
