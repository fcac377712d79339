// Text forms of coordinates and photo times, shared by the list, the exports and the CLI.
#pragma once

#include <optional>
#include <string>

namespace geotal {

// The numbers are those stored in the settings and taken by the command line.
enum class CoordinateFormat : int {
    DecimalDegrees = 1,         // "DD.DDDD"
    DegreesMinutes = 2,         // "DD MM.MMMM"
    DegreesMinutesSeconds = 3,  // "DD MM SS.SS"
};

// The format a stored number stands for; a number that stands for none gives decimal degrees,
// so that a damaged setting cannot blank every coordinate of the list.
CoordinateFormat CoordinateFormatFromNumber(int number);

// angle in seconds of arc.
std::string FormatCoordinate(double angle, CoordinateFormat format);

// An OLE Automation date as "YYYY/MM/DD HH:MM:SS", rounded to the second; the empty text for
// 0, which means "no time" (no photo was taken in 1899).
std::string FormatPhotoTime(double time);
// A photo's capture time so; the empty text for none.
std::string FormatPhotoTime(const std::optional<double>& time);

// An OLE Automation date in UTC as ISO 8601, "YYYY-MM-DDTHH:MM:SSZ", rounded to the second; the
// form spreadsheets, KML and map tools read as UTC without a setting.
std::string FormatUtcMoment(double utc);

// Metres with at most three decimals and no trailing zeros ("512.37", "-3", "0.5").
std::string FormatAltitude(double metres);

}  // namespace geotal
