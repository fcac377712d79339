// The ISO media photos of the shared collection (CR3, HEIC, HEIF, AVIF), where it is there: those
// the metadata library gives up on are listed with their dates after all, and wherever the
// library reads one, the boxes read alone give the very tags it reads.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "metadata/BmffExif.h"
#include "metadata/PhotoFixture.h"
#include "photo/PhotoMetadata.h"
#include "support/TempFolder.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;

const fs::path kRaw = GEOTAL_REAL_RAW;

// The library's reason, as it words it, for each file it gives up on.
TEST(BmffRealFiles, filesTheLibraryGivesUpOnListTheTimeAndPositionExifToolReads) {
    struct Case {
        const char* file;
        const char* original;                               // DateTimeOriginal as exiftool reads it
        const char* offset;                                 // OffsetTimeOriginal
        std::optional<std::pair<double, double>> position;  // degrees
    };
    // 37°23'11.42"N 122°4'35.26"W as exiftool prints it, to its hundredths of a second.
    const Case cases[] = {
        {"cr3/et_CanonRaw.cr3", "2018:02:21 12:08:56", "+00:00", std::nullopt},
        {"cr3/ft_fixture.cr3", "2019:12:05 13:32:49", "+08:00", std::nullopt},
        {"cr3/ne_canon-r6.cr3", "2025:09:06 20:24:47", "-08:00",
         std::pair{37 + 23 / 60.0 + 11.42 / 3600, -(122 + 4 / 60.0 + 35.26 / 3600)}},
        {"heic/mei_Issue_437__dotnet_.heic", "2025:05:09 11:38:44", "+02:00", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::string path = kRaw / c.file;
        GEOTAL_SKIP_WITHOUT(path);
        SCOPED_TRACE(c.file);
        ASSERT_FALSE(ReadListedTagsWithLibrary(path)) << "the library reads it now";
        PhotoFacts facts;
        ASSERT_TRUE(ReadPhotoFacts(path, facts)) << facts.note;
        EXPECT_DOUBLE_EQ(facts.captureTime.value_or(0), ParseExifDateTime(c.original));
        EXPECT_EQ(facts.timeTag, kTagDateTimeOriginal);
        EXPECT_EQ(facts.recordedOffset, c.offset);
        ASSERT_EQ(facts.position.has_value(), c.position.has_value());
        const std::string said = c.position ? "Time and position" : "Time";
        EXPECT_EQ(facts.note.rfind(said + " read from the file's EXIF data alone: the metadata "
                                          "library could not read the rest (",
                                   0),
                  0u)
            << facts.note;
        if (c.position) {
            EXPECT_NEAR(facts.position->LatitudeDegrees(), c.position->first, 0.5 / 360000);
            EXPECT_NEAR(facts.position->LongitudeDegrees(), c.position->second, 0.5 / 360000);
        }
        EXPECT_FALSE(facts.camera.empty());
    }
}

// A sidecar's position comes first for a RAW file, as for any; the note keeps what it said of
// the file's own tags, and the sidecar's line follows.
TEST(BmffRealFiles, aSidecarsPositionComesFirstAndBothAreNamed) {
    const fs::path source = kRaw / "cr3/ne_canon-r6.cr3";
    GEOTAL_SKIP_WITHOUT(source);
    test::TempFolder folder;
    const std::string photo = folder.Write("a.cr3", test::ReadBytes(source));
    test::WriteBytes(folder / "a.xmp",
                     "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
                     "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
                     "rdf:about='' xmlns:exif='http://ns.adobe.com/exif/1.0/' "
                     "exif:GPSLatitude='47,30.0000N' exif:GPSLongitude='8,15.0000W'/>"
                     "</rdf:RDF></x:xmpmeta>");
    PhotoFacts facts;
    ASSERT_TRUE(ReadPhotoFacts(photo, facts));
    ASSERT_TRUE(facts.position);
    EXPECT_DOUBLE_EQ(facts.position->LatitudeDegrees(), 47.5);
    const std::size_t line = facts.note.find('\n');
    ASSERT_NE(line, std::string::npos) << facts.note;
    EXPECT_EQ(facts.note.rfind("Time and position read from the file's EXIF data alone", 0), 0u);
    EXPECT_EQ(facts.note.substr(line + 1), "Position from the sidecar a.xmp");
}

// The library's answers are the reference: where it reads a file, so must the boxes alone.
TEST(BmffRealFiles, readAsTheLibraryReadsThemWhereItDoes) {
    int compared = 0;
    for (const char* folder : {"cr3", "heic", "avif"}) {
        GEOTAL_SKIP_WITHOUT(kRaw / folder);
        for (const fs::directory_entry& entry : fs::directory_iterator(kRaw / folder)) {
            const std::string path = entry.path().string();
            if (entry.path().extension() == ".md") {
                continue;
            }
            const std::optional<ListedExifTags> library = ReadListedTagsWithLibrary(path);
            const std::optional<ListedExifTags> direct = ReadBmffListedTagsOfFile(path);
            EXPECT_TRUE(direct) << path << ": the boxes alone read nothing";
            if (library) {
                ++compared;
                EXPECT_EQ(direct, library) << path;
            }
        }
    }
    EXPECT_GE(compared, 20);
}

}  // namespace
}  // namespace geotal
