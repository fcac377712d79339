// A camera clock error as a user types it: seconds, or days, hours, minutes and seconds.
#pragma once

#include <optional>
#include <string_view>

namespace geotal {

// "-37", "+90061", "1d 2h 3m 4s", "-2 d 12 h", "+1 d 1 h 1 min 1 s" (what ClockErrorText
// writes, with U+2212 or "-" as minus) in seconds; each unit at most once, largest first.
// Nothing for other texts and beyond the kMaxClockErrorSeconds either way.
std::optional<int> ParseClockErrorText(std::string_view text);

}  // namespace geotal
