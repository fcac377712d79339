// --sync PHOTO=YYYY-MM-DDTHH:MM:SS[Z|±hh:mm]: a photo of a clock and the time it shows.
#pragma once

#include <optional>
#include <string>

namespace geotal::cli {

struct SyncRequest {
    std::string photo;                 // a file name of the photo folder
    double shownTime = 0;              // the time the photo shows, OLE Automation date
    std::optional<int> offsetSeconds;  // its zone when given ("Z" is 0); else the --tz zone
};

// Nothing when the text is not that form or the date is not a real one.
std::optional<SyncRequest> ParseSyncOption(const std::string& text);

}  // namespace geotal::cli
