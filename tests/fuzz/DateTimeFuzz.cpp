// Any text as a date-time, as typed, as a GPX time after its cleaning, and with blanks around.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzChecks.h"
#include "support/DateTime.h"
#include "support/DateTimeText.h"
#include "track/GpxTokenParser.h"

namespace {

using namespace geotal;

double ParseChecked(std::string_view text) {
    const double day = ParseDateTimeText(text);
    if (day != 0) {
        fuzz::Require(std::isfinite(day), "a date-time is a number");
        const CalendarTime t = FromOleDate(day);
        fuzz::Require(t.year >= 100 && t.year <= 9999, "a date-time lies in years 100-9999");
        fuzz::Require(IsValidCalendarTime(t), "a date-time is a real calendar moment");
        fuzz::Require(ToOleDate(t) == day, "a date-time is a whole second");
    }
    return day;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double day = ParseChecked(text);
    fuzz::Require(ParseChecked(" \t" + std::string(text) + "\n ") == day,
                  "blanks around a date-time do not change it");
    std::string cleaned;
    CleanGpxTime(text, cleaned);
    ParseChecked(cleaned);
    return 0;
}
