// What the JSON readers make of a string or a number, whichever way the element was read: a
// number written as text, and a time as location logs write one.
#pragma once

#include <string_view>

namespace geotal {

// The number at the start of the text ("412.5", "1e3 m"); false when it starts with none.
bool NumberOfJsonString(std::string_view text, double& value);

// A time given as an ISO 8601 text or a text of digits: seconds since 1970, or milliseconds
// when it has 12 digits or more. 0 when it cannot be read.
double TimeOfJsonString(std::string_view text);

// A time given as a number: seconds since 1970, or milliseconds from 1e11 on. 0 when it is
// before 1970 or after the year 9999.
double TimeOfJsonNumber(double number);

}  // namespace geotal
