// The numbers of TIFF data, read and written in the data's own byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace geotal {

enum class ByteOrder { Little, Big };

// Callers check that the bytes lie within data; these do not.
inline std::uint16_t Get16(std::string_view data, std::size_t at, ByteOrder order) {
    const auto a = static_cast<std::uint8_t>(data[at]);
    const auto b = static_cast<std::uint8_t>(data[at + 1]);
    return static_cast<std::uint16_t>(order == ByteOrder::Little ? a | b << 8 : a << 8 | b);
}

inline std::uint32_t Get32(std::string_view data, std::size_t at, ByteOrder order) {
    const std::uint32_t first = Get16(data, at, order);
    const std::uint32_t second = Get16(data, at + 2, order);
    return order == ByteOrder::Little ? first | second << 16 : first << 16 | second;
}

inline void Put16(std::string& data, std::size_t at, std::uint16_t value, ByteOrder order) {
    const auto low = static_cast<char>(value & 0xFF);
    const auto high = static_cast<char>(value >> 8);
    data[at] = order == ByteOrder::Little ? low : high;
    data[at + 1] = order == ByteOrder::Little ? high : low;
}

inline void Put32(std::string& data, std::size_t at, std::uint32_t value, ByteOrder order) {
    const auto low = static_cast<std::uint16_t>(value & 0xFFFF);
    const auto high = static_cast<std::uint16_t>(value >> 16);
    Put16(data, at, order == ByteOrder::Little ? low : high, order);
    Put16(data, at + 2, order == ByteOrder::Little ? high : low, order);
}

inline void Append16(std::string& data, std::uint16_t value, ByteOrder order) {
    data.append(2, '\0');
    Put16(data, data.size() - 2, value, order);
}

inline void Append32(std::string& data, std::uint32_t value, ByteOrder order) {
    data.append(4, '\0');
    Put32(data, data.size() - 4, value, order);
}

}  // namespace geotal
