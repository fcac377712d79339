// Photos the metadata library would damage if it rewrote them, made from the test photo by
// fixed byte changes. Each carries an ICC colour profile in APP2 segments, bent so that the
// library reads it one way and writes back a profile it then cannot read itself.
#pragma once

#include <string>

namespace geotal::test {

enum class IccDamage {
    None,                // a sound profile, for comparison
    ShiftedHeader,       // one chunk; the NUL after "ICC_PROFILE" is missing
    LengthOneTooLong,    // two chunks; the first segment's length counts one byte more
    ByteMissing,         // two chunks; one byte of the first chunk's data is missing
    SecondChunkUnnamed,  // two chunks; the second segment's "ICC_PROFILE" is misspelt
};

// A dated photo at path with a 128-byte profile in one chunk or a 256-byte one in two, damaged
// as asked. With fullExif, a user comment fills the EXIF segment so nearly that no GPS data
// fits in: only the library's rewrite can then write it. Answers the path.
std::string MakeIccPhoto(const std::string& path, IccDamage damage, int chunks = 2,
                         bool fullExif = false);

}  // namespace geotal::test
