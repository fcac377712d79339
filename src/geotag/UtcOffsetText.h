// Offsets from UTC as EXIF and ISO 8601 texts write them: "+02:00", "-05:30".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace geotal {

// The offset of "±hh:mm" in seconds, east positive; nothing unless the text is exactly that
// form, with minutes 0 to 59 and no more than 14 hours either way.
std::optional<int> ParseUtcOffsetText(std::string_view text);

// "+02:00", "-05:30", "+00:00".
std::string UtcOffsetText(int offsetSeconds);

}  // namespace geotal
