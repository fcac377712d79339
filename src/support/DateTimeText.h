// Reading date-time texts from track files into OLE Automation day counts.
#pragma once

#include <string_view>

namespace geotal {

// The day count of a date-time text, or 0 when the text cannot be read.
//
// Accepted forms (surrounding white space is ignored):
//   date            2010-05-01   2010/05/01   2010.05.01   (year first, four-digit year)
//                   01.05.2010                              (day first, dots only)
//                   1 May 2010   01-May-2010   May 1, 2010  (English month names or their
//                                                            first three letters, any case)
//   date and time   the date, then "T" or one or more blanks, then the time
//   time            10:20   10:20:30   10:20:30.999   (a fraction is truncated, never rounded)
//                   optionally followed by AM or PM (hours 1 to 12), after blanks or not
//   zone            Z, +02:00, +0200 or +02 right after the time; the result is then UTC
// A date alone means midnight. Years 100 to 9999, before and after the zone is taken off;
// every field is range checked, so
// "2010-02-30" reads as 0. Texts with a two-digit year or a month-first numeric date
// ("05/01/2010") are ambiguous and read as 0.
double ParseDateTimeText(std::string_view text);

}  // namespace geotal
