#include "metadata/BmffBoxes.h"

#include "metadata/TiffBytes.h"

namespace geotal {
namespace {

std::uint64_t Get64(const std::string& bytes, std::size_t at) {
    return std::uint64_t{Get32(bytes, at, ByteOrder::Big)} << 32 |
           Get32(bytes, at + 4, ByteOrder::Big);
}

// The box at at, which must end by end; false when it does not.
bool ReadBox(ByteSource& source, std::uint64_t at, std::uint64_t end, BmffBox& box) {
    std::string header;
    if (at > end || end - at < 8 || !source.Read(at, 8, header)) {
        return false;
    }
    std::uint64_t size = Get32(header, 0, ByteOrder::Big);
    box.type = header.substr(4, 4);
    std::uint64_t headerSize = 8;
    if (size == 1) {
        std::string large;
        if (end - at < 16 || !source.Read(at + 8, 8, large)) {
            return false;
        }
        size = Get64(large, 0);
        headerSize = 16;
    } else if (size == 0) {
        size = end - at;
    }
    box.userType.clear();
    if (box.type == "uuid") {
        if (end - at < headerSize + 16 || !source.Read(at + headerSize, 16, box.userType)) {
            return false;
        }
        headerSize += 16;
    }
    if (size < headerSize || size > end - at) {
        return false;
    }
    box.content = at + headerSize;
    box.end = at + size;
    return true;
}

}  // namespace

std::vector<BmffBox> ReadBmffBoxes(ByteSource& source, std::uint64_t at, std::uint64_t end,
                                   std::size_t most) {
    std::vector<BmffBox> boxes;
    BmffBox box;
    while (boxes.size() < most && at < end && ReadBox(source, at, end, box)) {
        boxes.push_back(box);
        at = box.end;
    }
    return boxes;
}

std::optional<BmffBox> OnlyBmffBox(const std::vector<BmffBox>& boxes, const std::string& type,
                                   const std::string& userType) {
    std::optional<BmffBox> found;
    for (const BmffBox& box : boxes) {
        if (box.type == type && (type != "uuid" || box.userType == userType)) {
            if (found) {
                return std::nullopt;
            }
            found = box;
        }
    }
    return found;
}

}  // namespace geotal
