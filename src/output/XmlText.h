// Turning any bytes, such as a file name, into text that an XML 1.0 document may hold.
#pragma once

#include <string>

namespace geotal {

// The bytes as UTF-8 element text: markup characters escaped; bytes that are not UTF-8, and
// characters XML forbids (control characters other than tab, line feed and carriage return,
// U+FFFE and U+FFFF), replaced by U+FFFD; a carriage return as a character reference, since a
// parser would otherwise turn it into a line feed.
std::string XmlElementText(const std::string& bytes);

}  // namespace geotal
