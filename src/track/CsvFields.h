// Cutting one CSV line into fields.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace geotal {

constexpr int kCsvFieldCount = 50;
using CsvFields = std::array<std::string, kCsvFieldCount>;

// Fills fields from the start with the fields of the line and empties the rest; answers how
// many were stored (at most kCsvFieldCount, further fields are dropped). The line is read as
// if followed by one blank, so the last field ends in a blank; fields after a separator lose
// their leading blanks; two adjacent separators give an empty field; a separator at the end of
// the line adds none. A double quote before the next separator makes the field run to the next
// double quote, separators included, without either quote; the separator right after the
// closing quote then yields one extra empty field.
int SplitFields(std::string_view line, std::string_view separators, CsvFields& fields);

}  // namespace geotal
