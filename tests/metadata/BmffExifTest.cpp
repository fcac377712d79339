// The boxes of ISO media files read alone, laid out here as cameras and phones lay them out and
// bent every way a damaged or hostile file can: each answers the tags it holds or nothing, never
// asks for a byte the file does not have, and answers as the metadata library does wherever
// that reads the file.
#include "metadata/BmffExif.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "metadata/BmffFixtures.h"
#include "photo/PhotoMetadata.h"
#include "support/TempFolder.h"

namespace geotal {
namespace {

using namespace test;

// A file's bytes that notes any read asked past their end.
class WatchedSource : public ByteSource {
public:
    explicit WatchedSource(const std::string& bytes) : bytes_(bytes), source_(bytes_) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t at, std::size_t length, std::string& bytes) override {
        if (at > bytes_.size() || length > bytes_.size() - at) {
            pastTheEnd = true;
        }
        return source_.Read(at, length, bytes);
    }
    bool pastTheEnd = false;

private:
    std::string bytes_;
    BytesSource source_;
};

// What a laid-out file should give: its original date, or nothing for "".
struct Case {
    const char* what;
    std::string bytes;
    const char* original;
};

class BmffExifTest : public ::testing::Test {
protected:
    void Check(const Case& c, const char* name) {
        SCOPED_TRACE(c.what);
        WatchedSource source(c.bytes);
        const std::optional<ListedExifTags> direct = ReadBmffListedTags(source);
        EXPECT_FALSE(source.pastTheEnd) << "a read asked past the end of the file";
        const std::string path = folder_.Write(name, c.bytes);
        EXPECT_EQ(ReadBmffListedTagsOfFile(path), direct) << "the file and its bytes read alike";
        if (*c.original == '\0') {
            EXPECT_FALSE(direct && direct->dateTimeOriginal) << *direct->dateTimeOriginal;
            return;
        }
        ASSERT_TRUE(direct);
        EXPECT_EQ(direct->dateTimeOriginal, c.original);
        if (const std::optional<ListedExifTags> library = ReadListedTagsWithLibrary(path)) {
            EXPECT_EQ(direct, library) << "the library reads it otherwise";
            ++libraryRead_;
        }
    }

    TempFolder folder_;
    int libraryRead_ = 0;
};

constexpr const char* kFixtureDate = "2010:01:01 12:00:00";

HeifShape With(const std::function<void(HeifShape&)>& change) {
    HeifShape shape;
    change(shape);
    return shape;
}

TEST_F(BmffExifTest, findsTheExifItemOfHeifFilesHoweverItsPlaceIsGiven) {
    const std::vector<Case> cases = {
        {"the usual layout", Heif({}), kFixtureDate},
        {"an AVIF", Heif(With([](HeifShape& s) { s.major = "avif"; })), kFixtureDate},
        {"item locations of the first version", Heif(With([](HeifShape& s) { s.ilocVersion = 0; })),
         kFixtureDate},
        {"item locations with 32-bit item IDs", Heif(With([](HeifShape& s) { s.ilocVersion = 2; })),
         kFixtureDate},
        {"item entries with 32-bit item IDs", Heif(With([](HeifShape& s) { s.infeVersion = 3; })),
         kFixtureDate},
        {"64-bit offsets and lengths from a base offset", Heif(With([](HeifShape& s) {
             s.offsetSize = s.lengthSize = 8;
             s.baseOffsetSize = 4;
             s.baseOffset = 24;
         })),
         kFixtureDate},
        {"the item in three pieces stored in reverse order",
         Heif(With([](HeifShape& s) { s.pieces = 3; })), kFixtureDate},
        {"the item data before the meta box", Heif(With([](HeifShape& s) { s.itemAtEnd = false; })),
         kFixtureDate},
        {"an extent of length 0, to the end of the file",
         Heif(With([](HeifShape& s) { s.lengthZero = true; })), kFixtureDate},
        {"the TIFF header right after the offset, without a name",
         Heif(With([](HeifShape& s) { s.item = BigEndian(0, 4) + s.item.substr(10); })),
         kFixtureDate},
    };
    for (const Case& c : cases) {
        Check(c, "photo.heic");
    }
    const std::optional<ListedExifTags> tags = ReadBmffListedTagsOf(Heif({}));
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->make, "Fixture Maker");
    EXPECT_EQ(tags->latitudeRef, "S");
    EXPECT_EQ(tags->longitude, (std::array<double, 3>{5, 10, 15}));
    // The library reads the usual layouts; it does not follow 32-bit IDs, base offsets, items in
    // pieces or extents to the end of the file.
    EXPECT_GE(libraryRead_, 5) << "the library reads the laid-out files";
}

TEST_F(BmffExifTest, givesNothingForAnExifItemItCannotPlacePlainly) {
    const std::string usual = Heif({});
    std::string otherBrand = usual;  // "ftyp" content: major, minor version, compatible brands
    otherBrand.replace(8, 4, "qt  ");
    otherBrand.replace(16, 8, "qt  isom");
    HeifShape longItem;
    longItem.item = BigEndian(longItem.item.size() - 4, 4) + longItem.item.substr(4);
    HeifShape offsetPastTheItem;
    offsetPastTheItem.item =
        BigEndian(offsetPastTheItem.item.size() - 3, 4) + offsetPastTheItem.item.substr(4);
    const std::vector<Case> cases = {
        {"another kind of file", otherBrand, ""},
        {"the item within the meta box", Heif(With([](HeifShape& s) { s.constructionMethod = 1; })),
         ""},
        {"the item within another item", Heif(With([](HeifShape& s) { s.constructionMethod = 2; })),
         ""},
        {"item entries without item types", Heif(With([](HeifShape& s) { s.infeVersion = 1; })),
         ""},
        {"item locations of an unknown version",
         Heif(With([](HeifShape& s) { s.ilocVersion = 3; })), ""},
        {"offsets of three bytes", Heif(With([](HeifShape& s) { s.offsetSize = 3; })), ""},
        {"extents past the end of the file",
         Heif(With([](HeifShape& s) { s.offsetShift = 1 << 20; })), ""},
        {"an extent one byte longer than the file",
         Heif(With([](HeifShape& s) { s.lengthShift = 1; })), ""},
        {"extents that start three bytes early",
         Heif(With([](HeifShape& s) { s.offsetShift = -3; })), ""},
        {"an Exif offset to the item's very end", Heif(longItem), ""},
        {"an Exif offset past the item's end", Heif(offsetPastTheItem), ""},
        {"an Exif offset near 4 GB",
         Heif(With([](HeifShape& s) { s.item = BigEndian(0xFFFFFFF0, 4) + s.item.substr(4); })),
         ""},
        {"an item of four bytes", Heif(With([](HeifShape& s) { s.item = BigEndian(0, 4); })), ""},
        {"an item too short for its offset",
         Heif(With([](HeifShape& s) { s.item = BigEndian(0, 3); })), ""},
        {"two Exif items", Heif(With([](HeifShape& s) { s.twoExifItems = true; })), ""},
        {"the Exif item's location given twice",
         Heif(With([](HeifShape& s) { s.exifLocatedTwice = true; })), ""},
        {"two meta boxes", usual + usual.substr(usual.find("meta") - 4), ""},
        {"the file cut off in the item data", usual.substr(0, usual.size() - 40), ""},
        {"the file cut off in the meta box", usual.substr(0, 120), ""},
    };
    for (const Case& c : cases) {
        Check(c, "photo.heic");
    }
}

TEST_F(BmffExifTest, readsTheTiffBlocksOfCanonsBoxInACr3) {
    const std::string blocks = Cr3Blocks();
    // The same blocks in 64-bit boxes; and with the last one running to the end of Canon's box.
    std::string sixtyFour, toEnd;
    for (std::size_t at = 0; at < blocks.size();) {
        const std::uint32_t size = static_cast<std::uint8_t>(blocks[at]) << 24 |
                                   static_cast<std::uint8_t>(blocks[at + 1]) << 16 |
                                   static_cast<std::uint8_t>(blocks[at + 2]) << 8 |
                                   static_cast<std::uint8_t>(blocks[at + 3]);
        const std::string type = blocks.substr(at + 4, 4);
        const std::string content = blocks.substr(at + 8, size - 8);
        sixtyFour += LargeBox(type, content);
        toEnd += at + size == blocks.size() ? ToEndBox(type, content) : Box(type, content);
        at += size;
    }
    const std::string head = FileType("crx ", {"crx ", "isom"});
    const std::string movie = Box("moov", UuidBox(CanonUuid(), blocks));
    const std::vector<Case> cases = {
        {"the usual layout", Cr3(blocks), "2021:05:12 12:21:21"},
        {"boxes of 64-bit sizes", Cr3(sixtyFour), "2021:05:12 12:21:21"},
        {"the last box running to its parent's end", Cr3(toEnd), "2021:05:12 12:21:21"},
        {"the movie box running to the end of the file",
         head + Box("free", "") + ToEndBox("moov", UuidBox(CanonUuid(), blocks)),
         "2021:05:12 12:21:21"},
        {"the movie box after the media data", head + Box("mdat", std::string(300, 'x')) + movie,
         "2021:05:12 12:21:21"},
    };
    for (const Case& c : cases) {
        Check(c, "photo.cr3");
    }
    const std::optional<ListedExifTags> tags = ReadBmffListedTagsOf(Cr3(blocks));
    ASSERT_TRUE(tags);
    ListedExifTags expected;
    expected.dateTime = "2021:05:12 12:21:22";
    expected.make = "Canon";
    expected.model = "Canon EOS R6";
    expected.dateTimeOriginal = "2021:05:12 12:21:21";
    expected.offsetTimeOriginal = "+02:00";
    expected.bodySerialNumber = "093022004357";
    expected.latitudeRef = "N";
    expected.latitude = {37, 23, 11.42};
    expected.longitudeRef = "W";
    expected.longitude = {122, 4, 35.26};
    EXPECT_EQ(*tags, expected);
    // The library does not take a box's size of 0.
    EXPECT_GE(libraryRead_, 3) << "the library reads the laid-out files";
}

TEST_F(BmffExifTest, givesNothingOrWhatIsPlainForCr3BoxesThatLieOrHide) {
    const std::string blocks = Cr3Blocks();
    const std::size_t exif = blocks.find("CMT2") - 4;
    const auto withSize = [&](std::uint32_t size) {
        return Cr3(blocks.substr(0, exif) + BigEndian(size, 4) + blocks.substr(exif + 4));
    };
    std::string nested = UuidBox(CanonUuid(), blocks);
    for (int level = 0; level < 2000; ++level) {
        nested = Box("moov", nested);
    }
    std::string tiny;
    for (int n = 0; n < 5000; ++n) {
        tiny += Box("free", "");
    }
    const std::string full = Cr3(blocks);
    const std::vector<Case> cases = {
        {"the EXIF block's box claiming more than its parent holds", withSize(1 << 20), ""},
        {"the EXIF block's box smaller than its own header", withSize(4), ""},
        {"the EXIF block's box of size 1 with a 64-bit size past the end", withSize(1), ""},
        {"a 64-bit size of 2^63 for the movie box",
         FileType("crx ", {}) + BigEndian(1, 4) + "moov" + BigEndian(1ULL << 63, 8) +
             UuidBox(CanonUuid(), blocks),
         ""},
        {"the file cut off in the GPS block", full.substr(0, full.size() - 120), ""},
        {"Canon's box under another user type",
         FileType("crx ", {}) + Box("moov", UuidBox(std::string(16, 'x'), blocks)), ""},
        {"Canon's box at the top level", FileType("crx ", {}) + UuidBox(CanonUuid(), blocks), ""},
        {"Canon's box nested 2000 movie boxes deep", FileType("crx ", {}) + nested, ""},
        {"5000 empty boxes before the movie box", FileType("crx ", {}) + tiny + Box("moov", ""),
         ""},
        {"a doubled GPS block", Cr3(blocks + blocks.substr(blocks.find("CMT4") - 4)), ""},
        // The library reads an Exif box as a first directory wherever it finds one.
        {"the first block named Exif",
         Cr3(std::string(blocks).replace(blocks.find("CMT1"), 4, "Exif")), ""},
        {"an Exif box beside Canon's", Cr3(blocks) + Box("Exif", blocks.substr(8)), ""},
        {"an Exif box in the movie box",
         FileType("crx ", {}) + Box("moov", Box("Exif", "") + UuidBox(CanonUuid(), blocks)), ""},
        {"two movie boxes", full + full.substr(full.find("moov") - 4), ""},
        {"an EXIF block that is no TIFF data",
         Cr3(blocks.substr(0, exif) + Box("CMT2", "not TIFF data at all") +
             blocks.substr(blocks.find("CMT3") - 4)),
         ""},
        {"no file type box first", Box("moov", UuidBox(CanonUuid(), blocks)), ""},
        {"an empty file", "", ""},
        {"a file type box alone, cut off", FileType("crx ", {}).substr(0, 12), ""},
    };
    for (const Case& c : cases) {
        Check(c, "photo.cr3");
    }
    // What lies before the box that lies is plain, and is read.
    const std::optional<ListedExifTags> before = ReadBmffListedTagsOf(withSize(1 << 20));
    ASSERT_TRUE(before);
    EXPECT_EQ(before->make, "Canon");
    EXPECT_FALSE(before->latitude);
}

// The list takes the boxes' answer only where the library gives up on the file (here for a box
// of size 0, which it does not take), and says so; without a date there, the file cannot be read
// as before, and a position alone is not shown.
TEST_F(BmffExifTest, listsAFileTheLibraryGivesUpOnByItsExifDataAlone) {
    const auto lastToEnd = [](const std::string& boxes) {
        const std::size_t last = boxes.rfind("CMT4") - 4;
        return Cr3(boxes.substr(0, last) + ToEndBox("CMT4", boxes.substr(last + 8)));
    };
    const std::string blocks = Cr3Blocks();
    const std::string gpsOnly = blocks.substr(blocks.find("CMT4") - 4);
    struct Expected {
        const char* what;
        std::string bytes;
        double time;
        bool position;
        const char* note;
    };
    const Expected cases[] = {
        {"dates and a position", lastToEnd(blocks), ParseExifDateTime("2021:05:12 12:21:21"), true,
         "Time and position read from the file's EXIF data alone: the metadata library could not "
         "read the rest (corrupted image metadata)"},
        {"a position alone", lastToEnd(gpsOnly), 0, false,
         "No capture time: the file cannot be read (corrupted image metadata)"},
        {"nothing the boxes give", lastToEnd(blocks).substr(0, 200), 0, false,
         "No capture time: the file cannot be read (corrupted image metadata)"},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder_.Write("photo.cr3", c.bytes);
        ASSERT_FALSE(ReadListedTagsWithLibrary(path)) << "the library reads it now";
        PhotoFacts facts;
        EXPECT_EQ(ReadPhotoFacts(path, facts), c.time != 0);
        EXPECT_DOUBLE_EQ(facts.captureTime.value_or(0), c.time);
        EXPECT_EQ(facts.position.has_value(), c.position);
        EXPECT_EQ(facts.note, c.note);
    }
    ASSERT_TRUE(ReadBmffListedTagsOf(lastToEnd(gpsOnly)));
    EXPECT_TRUE(ReadBmffListedTagsOf(lastToEnd(gpsOnly))->latitude);
}

}  // namespace
}  // namespace geotal
