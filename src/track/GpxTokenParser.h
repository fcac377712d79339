// Turning the tokens of a GPX file into track points.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "track/TrackPointGate.h"
#include "track/TrackStore.h"

namespace geotal {

// Walks the tokens of one file with a few flags and appends one point per track point element.
// Only the exact tag texts "<trkpt" (as a prefix), "</trkpt>", "<time>", "</time>", "<ele>"
// and "</ele>" are recognised; waypoints and route points are ignored. Files users already
// have depend on these rules:
// - a point is kept only with both lat and lon in its start tag and a time that can be read
//   (see TrackPointGate for the rest); the others are counted in skipped();
// - an elevation read in a point that is not stored carries over to the next point;
// - a point not closed by "</trkpt>" is not stored, nor counted.
class GpxTokenParser {
public:
    explicit GpxTokenParser(TrackStore& store) : gate_(store) {}

    void Feed(std::string_view token);

    const SkippedPoints& skipped() const { return gate_.skipped(); }

private:
    TrackPointGate gate_;
    bool inPoint_ = false;
    bool timeExpected_ = false;
    bool elevationExpected_ = false;
    bool hasTime_ = false;
    std::optional<double> latitude_;  // degrees, from the current point's start tag
    std::optional<double> longitude_;
    std::optional<double> elevation_;  // the point being read has an <ele> of its own
    double pointTime_ = 0;
    std::string timeText_;  // reused for every time, to spare an allocation per point
};

// The lat and lon values of a start tag, in degrees.
struct PositionAttributes {
    std::optional<double> latitude, longitude;
};

// Takes the text between the first quote after the first "lat" in the tag and the next quote
// of the same kind, double or single, as the latitude, and the same for "lon". The quote need
// not belong to that attribute: after lat=47 the next quoted value is taken, as ever. A value
// whose name or quotes are not found is absent.
PositionAttributes ReadPositionAttributes(std::string_view startTag);

// Prepares a GPX time text for the date-time parser: "T" and "Z" become blanks and a fraction
// of a second is cut off (truncated, not rounded) when its "." stands after position 15. A zone
// offset after the fraction (".250+02:00") is kept, so that the parser turns the time into UTC.
void CleanGpxTime(std::string_view token, std::string& text);

}  // namespace geotal
