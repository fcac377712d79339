// Turning the tokens of a GPX file into track points.
#pragma once

#include <string>
#include <string_view>

#include "track/TrackStore.h"

namespace geotal {

// Walks the tokens of one file with a few flags and appends one point per track point element
// that has a time. Only the exact tag texts "<trkpt" (as a prefix), "</trkpt>", "<time>",
// "</time>", "<ele>" and "</ele>" are recognised; waypoints and route points are ignored.
// Files users already have depend on these rules:
// - a point without lat or lon keeps the previous point's value from the same file;
// - an elevation read in a point that is not stored carries over to the next point;
// - a time that cannot be read still gives a point, with time 0;
// - a point not closed by "</trkpt>" is not stored.
class GpxTokenParser {
public:
    explicit GpxTokenParser(TrackStore& store) : store_(store) {}

    void Feed(std::string_view token);

private:
    TrackStore& store_;
    bool inPoint_ = false;
    bool timeExpected_ = false;
    bool elevationExpected_ = false;
    bool hasTime_ = false;
    bool hasPosition_ = false;
    double latitude_ = 0;  // degrees
    double longitude_ = 0;
    double elevation_ = 0;
    double pointTime_ = 0;
    std::string timeText_;  // reused for every time, to spare an allocation per point
};

// Takes the text between the first double quote after the first "lat" in the tag and the
// double quote after it as the latitude (degrees), and the same for "lon". A value whose name
// is not found is left unchanged. Single-quoted values are not recognised.
void ReadPositionAttributes(std::string_view startTag, double& latitude, double& longitude);

// Prepares a GPX time text for the date-time parser: "T" and "Z" become blanks and a fraction
// of a second is cut off (truncated, not rounded) when its "." stands after position 15. A zone
// offset after the fraction (".250+02:00") is kept, so that the parser turns the time into UTC.
void CleanGpxTime(std::string_view token, std::string& text);

}  // namespace geotal
