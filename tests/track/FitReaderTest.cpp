#include "track/FitReader.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "track/TrackPointMatchers.h"

namespace geotal {
namespace {

using testing::High;
using testing::Ole;
using testing::PointsOf;

constexpr double kSemicircles = 2147483648.0 / 180.0;
constexpr std::uint32_t kFitEpochOf2010 = 631238400;  // 2010-01-01 00:00 UTC in FIT seconds

// Writes FIT messages the way a device does, for tests.
class FitWriter {
public:
    // A definition of the record message (20): timestamp, lat, long, altitude, enhanced
    // altitude, and developer bytes when asked.
    FitWriter& RecordDefinition(int local, bool bigEndian = false, int developerBytes = 0) {
        bigEndian_ = bigEndian;
        Byte(0x40 | (developerBytes > 0 ? 0x20 : 0) | local);
        Byte(0);
        Byte(bigEndian ? 1 : 0);
        Value(20, 2);
        Byte(5);
        for (const auto& [number, size, type] :
             {std::tuple{253, 4, 0x86}, {0, 4, 0x85}, {1, 4, 0x85}, {2, 2, 0x84}, {78, 4, 0x86}}) {
            Byte(number);
            Byte(size);
            Byte(type);
        }
        if (developerBytes > 0) {
            Byte(1);
            Byte(0);
            Byte(developerBytes);
            Byte(0);
        }
        developerBytes_ = developerBytes;
        return *this;
    }

    // A record of the definition above.
    FitWriter& Record(int local, std::uint32_t time, double latitude, double longitude,
                      double altitude, bool enhanced = true) {
        Byte(local);
        Value(time, 4);
        Value(static_cast<std::uint32_t>(static_cast<std::int32_t>(latitude * kSemicircles)), 4);
        Value(static_cast<std::uint32_t>(static_cast<std::int32_t>(longitude * kSemicircles)), 4);
        const auto scaled = static_cast<std::uint32_t>((altitude + 500) * 5);
        Value(enhanced ? 0xFFFF : scaled, 2);
        Value(enhanced ? scaled : 0xFFFFFFFF, 4);
        for (int i = 0; i < developerBytes_; ++i) {
            Byte(0xAB);
        }
        return *this;
    }

    // Local 1: a record of lat and long only, for compressed timestamp headers.
    FitWriter& CompressedDefinition() {
        for (int b : {0x41, 0, 0, 20, 0, 2, 0, 4, 0x85, 1, 4, 0x85}) {
            Byte(b);
        }
        return *this;
    }

    FitWriter& CompressedRecord(int offset, double latitude, double longitude) {
        bigEndian_ = false;
        Byte(0x80 | (1 << 5) | offset);
        Value(static_cast<std::uint32_t>(static_cast<std::int32_t>(latitude * kSemicircles)), 4);
        Value(static_cast<std::uint32_t>(static_cast<std::int32_t>(longitude * kSemicircles)), 4);
        return *this;
    }

    // The whole file: a 14-byte header, the messages, the CRC.
    std::string File() const {
        std::string file = {14, 0x20, 0x54, 0x08};
        for (int i = 0; i < 4; ++i) {
            file.push_back(static_cast<char>((data_.size() >> (8 * i)) & 0xFF));
        }
        file += ".FIT";
        const unsigned headerCrc = FitCrc(file);
        file.push_back(static_cast<char>(headerCrc & 0xFF));
        file.push_back(static_cast<char>(headerCrc >> 8));
        file += data_;
        const unsigned crc = FitCrc(file);
        file.push_back(static_cast<char>(crc & 0xFF));
        file.push_back(static_cast<char>(crc >> 8));
        return file;
    }

private:
    void Byte(int b) { data_.push_back(static_cast<char>(b)); }
    void Value(std::uint32_t v, int size) {
        for (int i = 0; i < size; ++i) {
            const int shift = 8 * (bigEndian_ ? size - 1 - i : i);
            Byte(static_cast<int>((v >> shift) & 0xFF));
        }
    }

    std::string data_;
    bool bigEndian_ = false;
    int developerBytes_ = 0;
};

void ExpectNear(const std::vector<TrackPoint>& points, const std::vector<TrackPoint>& expected,
                const char* name) {
    ASSERT_EQ(points.size(), expected.size()) << name;
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(points[i].latitude, expected[i].latitude, 0.01) << name;
        EXPECT_NEAR(points[i].longitude, expected[i].longitude, 0.01) << name;
        EXPECT_NEAR(points[i].time, expected[i].time, 1e-9) << name;
        EXPECT_NEAR(points[i].elevation.value_or(0), expected[i].elevation.value_or(0), 0.2)
            << name;
        EXPECT_EQ(points[i].elevation.has_value(), expected[i].elevation.has_value()) << name;
    }
}

struct FitCase {
    const char* name;
    std::string file;
    std::vector<TrackPoint> points;
};

const std::vector<FitCase> kFitCases = {
    {"records with enhanced altitude or altitude, in either byte order, developer bytes skipped",
     FitWriter()
         .RecordDefinition(0)
         .Record(0, kFitEpochOf2010 + 30, 47.5, -8.25, 412.6)
         .RecordDefinition(2, true, 3)
         .Record(2, kFitEpochOf2010 + 31, -33.5, 151.25, 5.2, false)
         .File(),
     {High(47.5, -8.25, 412.6, Ole(2010, 1, 1, 0, 0, 30)),
      High(-33.5, 151.25, 5.2, Ole(2010, 1, 1, 0, 0, 31))}},
    {"compressed timestamps count on from the last full one, rolling over in five bits",
     FitWriter()
         .RecordDefinition(0)
         .Record(0, kFitEpochOf2010 + 24, 1, 2, 0)
         .CompressedDefinition()
         .CompressedRecord(2, 3, 4)
         .CompressedRecord(12, 5, 6)
         .File(),
     {High(1, 2, 0, Ole(2010, 1, 1, 0, 0, 24)),
      {3 * 3600, 4 * 3600, std::nullopt, Ole(2010, 1, 1, 0, 0, 34)},
      {5 * 3600, 6 * 3600, std::nullopt, Ole(2010, 1, 1, 0, 0, 44)}}},
    {"an offset equal to the low five bits of the last timestamp is that second, not 32 later",
     FitWriter()
         .RecordDefinition(0)
         .Record(0, kFitEpochOf2010 + 24, 1, 2, 0)
         .CompressedDefinition()
         .CompressedRecord(24, 3, 4)
         .CompressedRecord(25, 5, 6)
         .File(),
     {High(1, 2, 0, Ole(2010, 1, 1, 0, 0, 24)),
      {3 * 3600, 4 * 3600, std::nullopt, Ole(2010, 1, 1, 0, 0, 24)},
      {5 * 3600, 6 * 3600, std::nullopt, Ole(2010, 1, 1, 0, 0, 25)}}},
};

TEST(FitReader, readsRecordMessages) {
    for (const FitCase& c : kFitCases) {
        TrackStore store;
        const TrackReadResult result = ReadFitBytes(c.file, store);
        ExpectNear(PointsOf(store), c.points, c.name);
        EXPECT_EQ(result.note, "") << c.name;
    }
}

TEST(FitReader, readsUpToTheDamageAndSaysSo) {
    const std::string file = FitWriter()
                                 .RecordDefinition(0)
                                 .Record(0, kFitEpochOf2010, 1, 2, 3)
                                 .Record(0, kFitEpochOf2010 + 1, 1, 2, 3)
                                 .File();
    std::string badCrc = file;
    badCrc.back() ^= 0x01;
    std::string cut = file.substr(0, file.size() - 12);
    for (const auto& [bytes, note, count] :
         {std::tuple{badCrc, "the file fails its CRC check; the points before the damage were read",
                     2},
          {cut, "the file ends early; the points before the end were read", 1},
          {std::string("not a fit file at all"), "not a FIT file", 0}}) {
        TrackStore store;
        EXPECT_EQ(ReadFitBytes(bytes, store).note, note);
        EXPECT_EQ(store.Count(), count) << note;
    }
}

}  // namespace
}  // namespace geotal
