// Taking one file out of a zip archive held in memory.
#pragma once

#include <string>
#include <string_view>

namespace geotal {

// Puts into contents the member named preferred, else the first member whose name ends in
// ending (any case). False, with error saying why, when the archive cannot be read or holds
// no such member.
bool ReadZipMember(std::string_view archive, std::string_view ending, std::string_view preferred,
                   std::string& contents, std::string& error);

}  // namespace geotal
