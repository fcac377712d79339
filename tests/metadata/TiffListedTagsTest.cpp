// The list reads a TIFF-based photo's tags without the metadata library: wherever that reader
// answers, it must answer what the library reads, and it must leave anything unusual to it.
#include "metadata/TiffListedTags.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/PhotoFixture.h"
#include "metadata/TiffBytes.h"
#include "photo/PhotoMetadata.h"
#include "support/TempFolder.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

constexpr std::uint16_t kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7;

struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::string value;  // the value's bytes, in the file's byte order
    // Where the value is said to lie instead, for a value that does not fit its entry.
    std::optional<std::uint32_t> at = std::nullopt;
};

std::string Ascii(const std::string& text) {
    return text + '\0';
}
Entry Text(std::uint16_t tag, const std::string& text, std::uint16_t type = kAscii) {
    return {tag, type, static_cast<std::uint32_t>(text.size() + 1), Ascii(text)};
}

struct Layout {
    ByteOrder order = ByteOrder::Little;
    std::vector<Entry> first, exif, gps;
    std::uint16_t pointerType = kLong;
};

std::string Rationals(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& parts,
                      ByteOrder order) {
    std::string bytes;
    for (const auto& [numerator, denominator] : parts) {
        Append32(bytes, numerator, order);
        Append32(bytes, denominator, order);
    }
    return bytes;
}

// A TIFF file: header, the first directory (with pointers to the others that have entries),
// the EXIF and GPS directories, then the values that do not fit their entries.
std::string BuildTiff(Layout layout) {
    const ByteOrder order = layout.order;
    std::vector<std::vector<Entry>*> directories{&layout.first};
    if (!layout.exif.empty()) {
        layout.first.push_back({0x8769, layout.pointerType, 1, {}});
        directories.push_back(&layout.exif);
    }
    if (!layout.gps.empty()) {
        layout.first.push_back({0x8825, layout.pointerType, 1, {}});
        directories.push_back(&layout.gps);
    }
    std::vector<std::uint32_t> starts;
    std::uint32_t at = 8;
    for (const auto* directory : directories) {
        starts.push_back(at);
        at += 2 + 12 * static_cast<std::uint32_t>(directory->size()) + 4;
    }
    std::string file =
        order == ByteOrder::Little ? std::string("II*\0", 4) : std::string("MM\0*", 4);
    Append32(file, 8, order);
    std::string values;
    for (const auto* directory : directories) {
        Append16(file, static_cast<std::uint16_t>(directory->size()), order);
        for (const Entry& entry : *directory) {
            Append16(file, entry.tag, order);
            Append16(file, entry.type, order);
            Append32(file, entry.count, order);
            if (entry.tag == 0x8769 || entry.tag == 0x8825) {
                Append32(file, starts[entry.tag == 0x8769 ? 1 : directories.size() - 1], order);
            } else if (entry.at) {
                Append32(file, *entry.at, order);
            } else if (entry.value.size() <= 4) {
                file += entry.value + std::string(4 - entry.value.size(), '\0');
            } else {
                Append32(file, at + static_cast<std::uint32_t>(values.size()), order);
                values += entry.value;
            }
        }
        Append32(file, 0, order);
    }
    return file + values;
}

// A camera's usual layout: dates, an offset and a position.
Layout CameraLayout(ByteOrder order = ByteOrder::Little) {
    Layout layout;
    layout.order = order;
    layout.first = {Text(0x010F, "Camera maker"), Text(0x0132, "2010:05:01 12:00:00")};
    layout.exif = {Text(0x9003, "2010:05:01 10:20:30"), Text(0x9011, "+02:00")};
    layout.gps = {{0x0000, 1, 4, std::string("\2\3\0\0", 4)},
                  Text(0x0001, "S"),
                  {0x0002, kRational, 3, Rationals({{47, 1}, {30, 1}, {1234, 100}}, order)},
                  Text(0x0003, "W"),
                  {0x0004, kRational, 3, Rationals({{8, 1}, {15, 1}, {0, 1}}, order)}};
    return layout;
}

class TiffListedTagsTest : public ::testing::Test {
protected:
    // What the reader and the library read of the bytes as a DNG file.
    std::optional<ListedExifTags> Direct(const std::string& bytes) {
        return ReadTiffListedTagsOfFile(folder_.Write("photo.dng", bytes));
    }
    std::optional<ListedExifTags> Library(const std::string& bytes) {
        return ReadListedTagsWithLibrary(folder_.Write("photo.dng", bytes));
    }
    void ExpectSameAsLibrary(const std::string& bytes) {
        const std::optional<ListedExifTags> direct = Direct(bytes);
        ASSERT_TRUE(direct.has_value()) << "the reader left an ordinary file to the library";
        EXPECT_EQ(direct, Library(bytes));
    }

    TempFolder folder_;
};

TEST_F(TiffListedTagsTest, readsWhatTheLibraryReadsInEitherByteOrder) {
    for (ByteOrder order : {ByteOrder::Little, ByteOrder::Big}) {
        const std::string tiff = BuildTiff(CameraLayout(order));
        ExpectSameAsLibrary(tiff);
        const std::optional<ListedExifTags> tags = Direct(tiff);
        ASSERT_TRUE(tags);
        EXPECT_EQ(tags->dateTimeOriginal, "2010:05:01 10:20:30");
        EXPECT_EQ(tags->latitudeRef, "S");
        ASSERT_TRUE(tags->latitude);
        EXPECT_DOUBLE_EQ((*tags->latitude)[2], 12.34);
    }
}

TEST_F(TiffListedTagsTest, readsTheExifDataCamerasAndProgramsLayOutAsTheLibraryDoes) {
    for (bool bigEndian : {false, true}) {
        for (bool makerNote : {false, true}) {
            const std::string segment =
                test::ExifSegment(test::MakeJpeg({{bigEndian, true, makerNote, 0}, "", false, ""}));
            ASSERT_GT(segment.size(), 10u);
            ExpectSameAsLibrary(segment.substr(10));  // after the marker, length and "Exif\0\0"
        }
    }
}

TEST_F(TiffListedTagsTest, textsEndAtTheirFirstNulAndTheFirstOfTwoTagsCounts) {
    Layout layout = CameraLayout();
    layout.exif = {{0x9003, kAscii, 24, Ascii("2011:06:02 11:21:31") + std::string(4, '\0')},
                   {0x9003, kAscii, 20, Ascii("2012:07:03 12:22:32")},
                   {0x9010, kAscii, 6, "-05:00"}};  // no NUL at all
    ExpectSameAsLibrary(BuildTiff(layout));
    EXPECT_EQ(Direct(BuildTiff(layout))->dateTimeOriginal, "2011:06:02 11:21:31");
}

// Signed fractions, as some phones write coordinates, count where no part is below zero.
TEST_F(TiffListedTagsTest, positionsOfAnotherTypeOrWithAZeroDenominatorAreNone) {
    Layout layout = CameraLayout();
    layout.gps[2] = {0x0002, 10, 3, Rationals({{47, 1}, {30, 1}, {0, 1}}, layout.order)};
    layout.gps[4] = {0x0004, kRational, 3, Rationals({{8, 1}, {15, 0}, {0, 1}}, layout.order)};
    ExpectSameAsLibrary(BuildTiff(layout));
    EXPECT_TRUE(Direct(BuildTiff(layout))->latitude);
    EXPECT_FALSE(Direct(BuildTiff(layout))->longitude);

    layout.gps[2] = {0x0002, 10, 3, Rationals({{47, 1}, {0xFFFFFFE2u, 1}, {0, 1}}, layout.order)};
    layout.gps[4] = {0x0004, 10, 3, Rationals({{8, 1}, {15, 0xFFFFFFFFu}, {0, 1}}, layout.order)};
    ExpectSameAsLibrary(BuildTiff(layout));
    EXPECT_FALSE(Direct(BuildTiff(layout))->latitude);
    EXPECT_FALSE(Direct(BuildTiff(layout))->longitude);

    layout.gps[2] = {0x0002, kRational, 2, Rationals({{47, 1}, {30, 1}}, layout.order)};
    ExpectSameAsLibrary(BuildTiff(layout));
}

// Where the library would read a tag otherwise than as a plain text or number, or not at all,
// the reader answers nothing, and the list gives what the library reads.
TEST_F(TiffListedTagsTest, leavesTheUnusualToTheLibrary) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases;
    {
        Layout layout = CameraLayout();
        layout.exif[0] = Text(0x9003, "2010:05:01 10:20:30", kUndefined);
        cases.push_back({"a date that is not ASCII", BuildTiff(layout)});
    }
    {
        Layout layout = CameraLayout();
        layout.pointerType = kShort;
        cases.push_back({"pointers of another type", BuildTiff(layout)});
    }
    {
        std::string bytes = BuildTiff(CameraLayout());
        cases.push_back(
            {"a value cut off by the end of the file", bytes.substr(0, bytes.size() - 4)});
    }
    {
        Layout layout = CameraLayout();
        layout.gps[4].at = 0;
        cases.push_back({"a value said to lie in the header", BuildTiff(layout)});
    }
    {
        // The EXIF pointer (the first directory's third entry) leads back to the first directory.
        std::string bytes = BuildTiff(CameraLayout());
        Put32(bytes, 8 + 2 + 2 * 12 + 8, 8, ByteOrder::Little);
        cases.push_back({"a directory pointing back", bytes});
    }
    {
        Layout layout = CameraLayout();
        for (std::uint16_t tag = 0xC000; layout.first.size() < 300; ++tag) {
            layout.first.push_back({tag, kLong, 1, std::string(4, '\1')});
        }
        cases.push_back({"a directory of 300 entries", BuildTiff(layout)});
    }
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        EXPECT_FALSE(Direct(test.bytes));
        PhotoFacts facts;
        const std::string path = folder_.Write("photo.dng", test.bytes);
        ReadPhotoFacts(path, facts);
        // As the library reads it: the original date, else the change date, and with a date a
        // whole position.
        const ListedExifTags library = ReadListedTagsWithLibrary(path).value_or(ListedExifTags{});
        const std::optional<std::string>& date =
            library.dateTimeOriginal ? library.dateTimeOriginal : library.dateTime;
        EXPECT_EQ(facts.captureTime.value_or(0), date ? ParseExifDateTime(*date) : 0.0);
        EXPECT_EQ(facts.position.has_value(), date && library.latitude && library.longitude &&
                                                  library.latitudeRef && library.longitudeRef);
    }
}

TEST_F(TiffListedTagsTest, otherFormatsAreLeftToTheLibrary) {
    EXPECT_FALSE(Direct(test::MakeJpeg({{false, true, false, 0}, "", false, ""})));
    EXPECT_FALSE(Direct("II*"));
    EXPECT_FALSE(Direct(""));
    EXPECT_FALSE(ReadTiffListedTagsOfFile(folder_.path()));  // a folder
    ASSERT_EQ(::mkfifo((folder_ / "pipe.dng").c_str(), 0600), 0);
    EXPECT_FALSE(ReadTiffListedTagsOfFile(folder_ / "pipe.dng"));  // answers, not waits
    EXPECT_FALSE(ReadTiffListedTagsOfFile(folder_ / "missing.dng"));
}

// Every real file the reader answers for reads as the library reads it, and it answers for
// every TIFF-based RAW among them: otherwise listing them is slow again, silently.
TEST(TiffListedTagsRealFiles, readAsTheLibraryReadsThem) {
    const fs::path source = GEOTAL_REAL_RAW;
    GEOTAL_SKIP_WITHOUT(source);
    int answered = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string path = entry.path().string();
        const std::optional<ListedExifTags> direct = ReadTiffListedTagsOfFile(path);
        const std::string head = test::ReadBytes(path).substr(0, 4);
        const bool tiff = head == std::string("II*\0", 4) || head == std::string("MM\0*", 4);
        if (tiff) {
            EXPECT_TRUE(direct) << path;
        }
        if (direct) {
            ++answered;
            EXPECT_EQ(direct, ReadListedTagsWithLibrary(path)) << path;
        }
    }
    EXPECT_GT(answered, 20);
}

}  // namespace
}  // namespace geotal
