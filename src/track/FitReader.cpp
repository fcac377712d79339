#include "track/FitReader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/Angles.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

constexpr std::size_t kCrcBytes = 2;
constexpr unsigned kRecordMessage = 20;
constexpr unsigned kTimestampField = 253;
constexpr unsigned kLatitudeField = 0;
constexpr unsigned kLongitudeField = 1;
constexpr unsigned kAltitudeField = 2;
constexpr unsigned kEnhancedAltitudeField = 78;
constexpr double kSemicirclesPerDegree = 2147483648.0 / 180.0;

struct FieldDefinition {
    std::uint8_t number = 0;
    std::uint8_t size = 0;
};

struct MessageDefinition {
    bool defined = false;
    bool bigEndian = false;
    unsigned global = 0;
    std::vector<FieldDefinition> fields;
    std::size_t developerBytes = 0;
    std::size_t dataBytes = 0;  // all fields and developer fields of one data message
};

std::uint64_t ReadUnsigned(const unsigned char* p, std::size_t size, bool bigEndian) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t at = bigEndian ? i : size - 1 - i;
        value = value << 8 | p[at];
    }
    return value;
}

// The day count of FIT's seconds since 31 December 1989 00:00 UTC.
double FitTime(std::uint32_t seconds) {
    static const double epoch = ToOleDate({1989, 12, 31, 0, 0, 0});
    return epoch + static_cast<double>(seconds) / kSecondsPerDay;
}

class FitParser {
public:
    explicit FitParser(TrackStore& store) : gate_(store) {}

    // Reads the file or chain of files; answers what went wrong, or "".
    std::string Read(std::string_view bytes) {
        std::size_t at = 0;
        int files = 0;
        while (at < bytes.size()) {
            const std::string damage = ReadOne(bytes, at);
            ++files;
            if (!damage.empty()) {
                return damage;
            }
            if (bytes.size() - at < 12) {
                break;  // padding after the last file of a chain
            }
        }
        return files == 0 ? "not a FIT file" : "";
    }

    const SkippedPoints& skipped() const { return gate_.skipped(); }

private:
    // One file of a chain, from its header; at moves past it.
    std::string ReadOne(std::string_view bytes, std::size_t& at) {
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t left = bytes.size() - at;
        if (left < 12 || bytes.substr(at + 8, 4) != ".FIT") {
            return "not a FIT file";
        }
        const std::size_t headerSize = data[at];
        if (headerSize < 12 || headerSize > left) {
            return "not a FIT file";
        }
        std::size_t dataSize = ReadUnsigned(data + at + 4, 4, false);
        bool ended = false;
        if (dataSize == 0 || dataSize > left - headerSize) {
            // A writer that never came back to fill in the size, or a file cut short.
            ended = dataSize != 0;
            dataSize = left - headerSize;
            if (!ended && dataSize >= kCrcBytes) {
                dataSize -= kCrcBytes;
            }
        }
        const std::size_t start = at + headerSize;
        const std::size_t end = start + dataSize;
        bool crcFails = false;
        if (!ended && end + kCrcBytes <= bytes.size()) {
            const unsigned stored = static_cast<unsigned>(ReadUnsigned(data + end, 2, false));
            crcFails = FitCrc(bytes.substr(at, end - at)) != stored;
        }
        definitions_ = {};
        const bool recordsWhole = ReadRecords(data, start, end);
        at = end + kCrcBytes;
        if (ended) {
            return "the file ends early; the points before the end were read";
        }
        if (crcFails || !recordsWhole) {
            return std::string(crcFails ? "the file fails its CRC check" : "the file is damaged") +
                   "; the points before the damage were read";
        }
        return "";
    }

    // The messages between start and end; false when one does not make sense.
    bool ReadRecords(const unsigned char* data, std::size_t at, std::size_t end) {
        while (at < end) {
            const unsigned char header = data[at++];
            if ((header & 0x80) != 0) {
                // A compressed timestamp header: a data message whose time is counted on in
                // five bits from the last full timestamp.
                const unsigned offset = header & 0x1F;
                std::uint32_t time = (lastTimestamp_ & ~0x1Fu) + offset;
                if (offset < (lastTimestamp_ & 0x1Fu)) {
                    time += 0x20;
                }
                lastTimestamp_ = time;
                if (!ReadData(data, at, end, (header >> 5) & 0x3, time)) {
                    return false;
                }
            } else if ((header & 0x40) != 0) {
                if (!ReadDefinition(data, at, end, header & 0x0F, (header & 0x20) != 0)) {
                    return false;
                }
            } else if (!ReadData(data, at, end, header & 0x0F, std::nullopt)) {
                return false;
            }
        }
        return true;
    }

    bool ReadDefinition(const unsigned char* data, std::size_t& at, std::size_t end, unsigned local,
                        bool developer) {
        if (end - at < 5) {
            return false;
        }
        MessageDefinition definition;
        definition.defined = true;
        definition.bigEndian = data[at + 1] == 1;
        definition.global =
            static_cast<unsigned>(ReadUnsigned(data + at + 2, 2, definition.bigEndian));
        const std::size_t count = data[at + 4];
        at += 5;
        if (end - at < count * 3) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i, at += 3) {
            definition.fields.push_back({data[at], data[at + 1]});
            definition.dataBytes += data[at + 1];
        }
        if (developer) {
            if (end - at < 1) {
                return false;
            }
            const std::size_t developerCount = data[at++];
            if (end - at < developerCount * 3) {
                return false;
            }
            for (std::size_t i = 0; i < developerCount; ++i, at += 3) {
                definition.developerBytes += data[at + 1];
            }
            definition.dataBytes += definition.developerBytes;
        }
        definitions_[local] = std::move(definition);
        return true;
    }

    bool ReadData(const unsigned char* data, std::size_t& at, std::size_t end, unsigned local,
                  std::optional<std::uint32_t> compressedTime) {
        const MessageDefinition& definition = definitions_[local];
        if (!definition.defined || end - at < definition.dataBytes) {
            return false;
        }
        std::optional<std::uint32_t> timestamp = compressedTime;
        std::optional<std::int32_t> latitude;
        std::optional<std::int32_t> longitude;
        std::optional<double> altitude;
        std::optional<double> enhancedAltitude;
        const unsigned char* p = data + at;
        for (const FieldDefinition& field : definition.fields) {
            const std::uint64_t value =
                field.size <= 8 ? ReadUnsigned(p, field.size, definition.bigEndian) : 0;
            if (field.number == kTimestampField && field.size == 4 && value != 0xFFFFFFFF) {
                timestamp = static_cast<std::uint32_t>(value);
                lastTimestamp_ = *timestamp;
            } else if (definition.global == kRecordMessage && field.size == 4 &&
                       value != 0x7FFFFFFF) {
                if (field.number == kLatitudeField) {
                    latitude = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
                } else if (field.number == kLongitudeField) {
                    longitude = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
                } else if (field.number == kEnhancedAltitudeField && value != 0xFFFFFFFF) {
                    enhancedAltitude = static_cast<double>(value) / 5 - 500;
                }
            } else if (definition.global == kRecordMessage && field.number == kAltitudeField &&
                       field.size == 2 && value != 0xFFFF) {
                altitude = static_cast<double>(value) / 5 - 500;
            }
            p += field.size;
        }
        at += definition.dataBytes;
        if (definition.global == kRecordMessage) {
            StoreRecord(timestamp, latitude, longitude,
                        enhancedAltitude ? enhancedAltitude : altitude);
        }
        return true;
    }

    void StoreRecord(std::optional<std::uint32_t> timestamp, std::optional<std::int32_t> latitude,
                     std::optional<std::int32_t> longitude, std::optional<double> altitude) {
        const auto degrees = [](std::optional<std::int32_t> semicircles) {
            return semicircles ? std::optional<double>(*semicircles / kSemicirclesPerDegree)
                               : std::nullopt;
        };
        gate_.OfferFix(degrees(latitude), degrees(longitude), altitude,
                       timestamp ? FitTime(*timestamp) : 0);
    }

    TrackPointGate gate_;
    std::array<MessageDefinition, 16> definitions_;
    std::uint32_t lastTimestamp_ = 0;
};

}  // namespace

unsigned FitCrc(std::string_view bytes, unsigned crc) {
    static constexpr std::array<unsigned, 16> kTable = {
        0x0000, 0xCC01, 0xD801, 0x1400, 0xF001, 0x3C00, 0x2800, 0xE401,
        0xA001, 0x6C00, 0x7800, 0xB401, 0x5000, 0x9C01, 0x8801, 0x4400};
    for (char c : bytes) {
        const unsigned byte = static_cast<unsigned char>(c);
        unsigned tmp = kTable[crc & 0xF];
        crc = (crc >> 4) & 0x0FFF;
        crc = crc ^ tmp ^ kTable[byte & 0xF];
        tmp = kTable[crc & 0xF];
        crc = (crc >> 4) & 0x0FFF;
        crc = crc ^ tmp ^ kTable[(byte >> 4) & 0xF];
    }
    return crc;
}

TrackReadResult ReadFitBytes(std::string_view bytes, TrackStore& store) {
    FitParser parser(store);
    const std::string damage = parser.Read(bytes);
    return {parser.skipped(), damage};
}

}  // namespace geotal
