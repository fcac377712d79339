#include "metadata/TiffField.h"

namespace geotal {

std::size_t TiffTypeSize(std::uint16_t type) {
    switch (type) {
        case 1:  // byte
        case 2:  // ascii
        case 6:  // signed byte
        case 7:  // undefined
            return 1;
        case 3:  // short
        case 8:  // signed short
            return 2;
        case 4:   // long
        case 9:   // signed long
        case 11:  // float
        case 13:  // IFD
            return 4;
        case 5:   // rational
        case 10:  // signed rational
        case 12:  // double
            return 8;
        default:
            return 0;
    }
}

std::uint32_t TiffCount(const TiffField& field) {
    const auto size = static_cast<std::uint32_t>(field.values.size());
    return field.type == TiffType::Rational ? size / 2 : size;
}

bool IsWritable(const TiffField& field) {
    if (field.values.empty()) {
        return false;
    }
    std::uint32_t largest = 0;
    switch (field.type) {
        case TiffType::Byte:
        case TiffType::Ascii:
        case TiffType::Undefined:
            largest = 0xFF;
            break;
        case TiffType::Short:
            largest = 0xFFFF;
            break;
        case TiffType::Rational:
            if (field.values.size() % 2 != 0) {
                return false;
            }
            [[fallthrough]];
        case TiffType::Long:
            return true;
        default:
            return false;
    }
    for (std::uint32_t value : field.values) {
        if (value > largest) {
            return false;
        }
    }
    return true;
}

bool IsDirectoryPointer(std::uint16_t type, std::uint32_t count) {
    constexpr std::uint16_t kLong = 4, kSignedLong = 9, kIfd = 13;
    return (type == kLong || type == kSignedLong || type == kIfd) && count == 1;
}

}  // namespace geotal
