// Taking one file out of a zip archive held in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace geotal {

// How far a member may unpack. A track document is text that deflate shrinks five to twenty
// times; one that grows far past that is a zip bomb, and its directory's claim of its size is
// only a claim. A member may always unpack to floorBytes, else to ratio times the archive's
// size, and never past capBytes.
struct ZipMemberLimits {
    std::uint64_t floorBytes = std::uint64_t{16} << 20;
    std::uint64_t ratio = 100;
    std::uint64_t capBytes = std::uint64_t{256} << 20;
};

// Puts into contents the member named preferred, else the first member whose name ends in
// ending (any case), unpacked piece by piece so that memory follows what the member really
// holds. False, with error saying why, when the archive cannot be read, holds no such member,
// or the member unpacks past the limits.
bool ReadZipMember(std::string_view archive, std::string_view ending, std::string_view preferred,
                   std::string& contents, std::string& error, const ZipMemberLimits& limits = {});

}  // namespace geotal
