// Zip archives laid out byte by byte for tests, so that a test can say any size it likes about
// a member and pack far more into it than it could write out.
#pragma once

#include <cstdint>
#include <string>

namespace geotal::testing {

// One deflated member: its name, its deflate data, and what its unpacked bytes are.
struct ZipEntry {
    std::string name;
    std::string deflated;
    std::uint32_t crc = 0;
    std::uint32_t size = 0;  // the size the archive claims; a test may lie here
};

// The text deflated as it is.
ZipEntry DeflatedEntry(const std::string& name, const std::string& text);

// A deflate bomb: megabytes MB of spaces, in about a thousandth of that.
ZipEntry SpacesEntry(const std::string& name, std::uint32_t megabytes);

// An archive holding the one entry.
std::string ZipArchiveOf(const ZipEntry& entry);

}  // namespace geotal::testing
