#include "track/JsonScalars.h"

#include <cstdlib>
#include <ctime>
#include <string>

#include "support/DateTime.h"
#include "track/TrackTime.h"

namespace geotal {
namespace {

// Seconds since 1970 as a day count.
double TimeOfSeconds(double seconds) {
    if (!(seconds > 0 && seconds < 253402300800.0)) {  // before the year 10000
        return 0;
    }
    const std::time_t whole = static_cast<std::time_t>(seconds);
    std::tm utc{};
    if (gmtime_r(&whole, &utc) == nullptr) {
        return 0;
    }
    return ToOleDate({utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                      utc.tm_sec}) +
           (seconds - static_cast<double>(whole)) / 86400;
}

}  // namespace

bool NumberOfJsonString(std::string_view text, double& value) {
    if (text.empty()) {
        return false;
    }
    const std::string copy(text);
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    return end != copy.c_str();
}

double TimeOfJsonString(std::string_view text) {
    const bool digits =
        !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    if (!digits) {
        return ParseTrackTime(text);
    }
    double number = std::strtod(std::string(text).c_str(), nullptr);
    if (text.size() >= 12) {
        number /= 1000;
    }
    return TimeOfSeconds(number);
}

double TimeOfJsonNumber(double number) {
    return TimeOfSeconds(number >= 1e11 ? number / 1000 : number);
}

}  // namespace geotal
