#include "track/KmlReader.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "track/TrackPointMatchers.h"
#include "track/TrackTestFolder.h"
#include "track/ZipBytes.h"
#include "track/ZipMember.h"

namespace geotal {
namespace {

using testing::At;
using testing::High;
using testing::Ole;
using testing::PointsOf;

std::string Kml(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
           "xmlns:gx=\"http://www.google.com/kml/ext/2.2\"><Document>" +
           body + "</Document></kml>\n";
}

struct KmlCase {
    const char* name;
    std::string kml;
    std::vector<TrackPoint> points;
    std::string note;
};

const std::vector<KmlCase> kKmlCases = {
    {"a gx:Track pairs each when with its gx:coord in order",
     Kml("<Placemark><gx:Track><when>2010-05-28T02:02:09Z</when>"
         "<when>2010-05-28T02:02:35.5+02:00</when>"
         "<gx:coord>-122.207881 37.371915 156.0</gx:coord>"
         "<gx:coord>-122.205712 37.373288 152.0</gx:coord></gx:Track></Placemark>"),
     {High(37.371915, -122.207881, 156, Ole(2010, 5, 28, 2, 2, 9)),
      High(37.373288, -122.205712, 152, Ole(2010, 5, 28, 0, 2, 35) + 0.5 / 86400)},
     ""},
    {"a MultiTrack without the gx prefix gives the points of each Track",
     Kml("<Placemark><MultiTrack><Track><when>2013-08-08T15:24:47Z</when>"
         "<coord>1 2</coord></Track><Track><when>2013-08-08T15:24:48Z</when>"
         "<coord>3 4</coord></Track></MultiTrack></Placemark>"),
     {At(2, 1, Ole(2013, 8, 8, 15, 24, 47)), At(4, 3, Ole(2013, 8, 8, 15, 24, 48))},
     ""},
    {"a Placemark with a TimeStamp and a Point is a point; without a time it is none",
     Kml("<Placemark><TimeStamp><when>2024-01-15T12:00:00Z</when></TimeStamp>"
         "<Point><coordinates> 8.25,47.5,400 </coordinates></Point></Placemark>"
         "<Placemark><Point><coordinates>8.25,47.5</coordinates></Point></Placemark>"),
     {High(47.5, 8.25, 400, Ole(2024, 1, 15, 12, 0, 0))},
     ""},
    {"LineStrings and TimeSpans have no point times, and the note says so",
     Kml("<Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>"
         "<Placemark><TimeSpan><begin>2008-01-01T00:00:00Z</begin></TimeSpan>"
         "<Point><coordinates>1,2</coordinates></Point></Placemark>"),
     {},
     "1 LineString without point times gave no points; 1 TimeSpan without point times gave "
     "no points"},
    {"when and gx:coord counts that differ pair as far as they go",
     Kml("<Placemark><gx:Track><when>2021-05-29T18:06:21Z</when><gx:coord/>"
         "<gx:coord>14.0 3.0 10.0</gx:coord></gx:Track></Placemark>"),
     {},
     "1 gx:Track entry had no partner (the numbers of when and gx:coord differ)"},
    {"whens and coords in any order pair by their counts",
     Kml("<Placemark><gx:Track><gx:coord>1 2</gx:coord><when>2013-08-08T15:24:47Z</when>"
         "<when>2013-08-08T15:24:48Z</when><when>2013-08-08T15:24:49Z</when>"
         "<gx:coord>3 4</gx:coord><gx:coord>5 6</gx:coord></gx:Track></Placemark>"),
     {At(2, 1, Ole(2013, 8, 8, 15, 24, 47)), At(4, 3, Ole(2013, 8, 8, 15, 24, 48)),
      At(6, 5, Ole(2013, 8, 8, 15, 24, 49))},
     ""},
    {"a broken document gives the points before the damage",
     "<kml><Placemark><TimeStamp><when>2024-01-15T12:00:00Z</when></TimeStamp>"
     "<Point><coordinates>8.25,47.5</coordinates></Point></Placemark><Placemark></kml>",
     {At(47.5, 8.25, Ole(2024, 1, 15, 12, 0, 0))},
     "the XML is broken at line 1 (mismatched tag); the points before it were read"},
};

TEST(KmlReader, readsTracksAndTimedPlacemarks) {
    for (const KmlCase& c : kKmlCases) {
        TrackStore store;
        const TrackReadResult result = ReadKmlText(c.kml, store);
        EXPECT_EQ(PointsOf(store), c.points) << c.name;
        EXPECT_EQ(result.note, c.note) << c.name;
    }
}

// expat gets a large document a piece at a time: texts cut by a piece's end still read whole.
TEST(KmlReader, readsADocumentOfManyPiecesAsOne) {
    std::string body;
    constexpr int kPlacemarks = 30'000;  // some 3 MB
    for (int i = 0; i < kPlacemarks; ++i) {
        body +=
            "<Placemark><TimeStamp><when>2024-01-15T12:00:00Z</when></TimeStamp><Point>"
            "<coordinates>8.25,47.5</coordinates></Point></Placemark>" +
            std::string(i % 7, ' ') + "\n";
    }
    TrackStore store;
    const TrackReadResult result = ReadKmlText(Kml(body), store);
    const std::vector<TrackPoint> points = PointsOf(store);
    EXPECT_EQ(points.size(), kPlacemarks);
    const TrackPoint expected = At(47.5, 8.25, Ole(2024, 1, 15, 12, 0, 0));
    EXPECT_EQ(std::count(points.begin(), points.end(), expected), kPlacemarks);
    EXPECT_EQ(result.note, "");
}

TEST(KmlReader, countsAnEmptyGxCoordAsAPointWithoutPosition) {
    TrackStore store;
    const TrackReadResult result = ReadKmlText(
        Kml("<gx:Track><when>2021-05-29T18:06:21Z</when><gx:coord/></gx:Track>"), store);
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(result.skipped, (SkippedPoints{1, 0, 0}));
}

// A KMZ archive written by libzip, holding the members given.
std::string Kmz(const std::vector<std::pair<std::string, std::string>>& members) {
    testing::TrackTestFolder folder;
    const std::string path = folder.path() + "/a.kmz";
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, text] : members) {
        zip_source_t* source = zip_source_buffer(zip, text.data(), text.size(), 0);
        zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE);
    }
    zip_close(zip);
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(KmzReader, readsTheDocumentInsideTheArchive) {
    const std::string kml =
        Kml("<Placemark><TimeStamp><when>2024-01-15T12:00:00Z</when></TimeStamp>"
            "<Point><coordinates>8.25,47.5</coordinates></Point></Placemark>");
    for (const auto& members : std::vector<std::vector<std::pair<std::string, std::string>>>{
             {{"doc.kml", kml}},
             {{"images/a.png", "png"}, {"files/Track.KML", kml}},
             {{"other.kml", "<kml/>"}, {"doc.kml", kml}}}) {
        TrackStore store;
        const TrackReadResult result = ReadKmzBytes(Kmz(members), store);
        EXPECT_EQ(PointsOf(store),
                  (std::vector<TrackPoint>{At(47.5, 8.25, Ole(2024, 1, 15, 12, 0, 0))}))
            << members.back().first;
        EXPECT_EQ(result.note, "");
    }
}

TEST(KmzReader, saysWhyAnArchiveGivesNothing) {
    TrackStore store;
    EXPECT_EQ(ReadKmzBytes(Kmz({{"a.txt", "x"}}), store).note, "the archive holds no .kml file");
    EXPECT_EQ(ReadKmzBytes("PK\x03\x04 not really", store).note.find("not a zip archive"), 0u);
    EXPECT_TRUE(store.IsEmpty());
}

const std::string kOnePlacemark =
    Kml("<Placemark><TimeStamp><when>2024-01-15T12:00:00Z</when></TimeStamp>"
        "<Point><coordinates>8.25,47.5</coordinates></Point></Placemark>");

TEST(KmzReader, readsWhatAMemberHoldsWhateverSizeTheArchiveClaims) {
    for (const std::uint32_t claim : {0u, 7u, 2'000'000'000u, 0xFFFFFFFEu}) {
        testing::ZipEntry entry = testing::DeflatedEntry("doc.kml", kOnePlacemark);
        entry.size = claim;
        TrackStore store;
        const TrackReadResult result = ReadKmzBytes(testing::ZipArchiveOf(entry), store);
        EXPECT_EQ(PointsOf(store),
                  (std::vector<TrackPoint>{At(47.5, 8.25, Ole(2024, 1, 15, 12, 0, 0))}))
            << claim;
        EXPECT_EQ(result.note, "") << claim;
    }
}

TEST(KmzReader, refusesADeflateBombAndSaysWhy) {
    // 20 MB of spaces in an archive of some 20 KB: past the 16 MB any member may hold.
    TrackStore store;
    const TrackReadResult result =
        ReadKmzBytes(testing::ZipArchiveOf(testing::SpacesEntry("doc.kml", 20)), store);
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(result.note,
              "doc.kml in the archive unpacks to more than 100 times the archive's size, as only "
              "a zip bomb does; it was not read");
}

struct LimitCase {
    const char* name;
    ZipMemberLimits limits;
    bool read;
    std::string error;
};

TEST(ZipMember, unpacksUpToTheLimitsAndNotAByteMore) {
    // Padding that deflate shrinks to almost nothing: the archive is far smaller than the text.
    const std::string text = kOnePlacemark + std::string(200'000, ' ');
    const std::string archive = testing::ZipArchiveOf(testing::DeflatedEntry("a/doc.kml", text));
    ASSERT_LT(archive.size() * 50, text.size());
    const std::uint64_t size = text.size();
    const std::uint64_t huge = std::uint64_t{1} << 40;
    const std::string byRatio =
        "a/doc.kml in the archive unpacks to more than 50 times the "
        "archive's size, as only a zip bomb does; it was not read";
    const LimitCase cases[] = {
        {"exactly the floor", {size, 1, huge}, true, ""},
        {"a byte past the floor",
         {size - 1, 1, huge},
         false,
         "a/doc.kml in the archive unpacks to more than 1 times the archive's size, as only a "
         "zip bomb does; it was not read"},
        {"within the ratio", {0, size / archive.size() + 1, huge}, true, ""},
        {"past the ratio", {0, 50, huge}, false, byRatio},
        {"exactly the cap", {huge, 1, size}, true, ""},
        {"a byte past the cap",
         {huge, 1, size - 1},
         false,
         "a/doc.kml in the archive unpacks to more than 1 MB, more than a track file holds; it "
         "was not read"},
    };
    for (const LimitCase& c : cases) {
        std::string contents;
        std::string error;
        EXPECT_EQ(ReadZipMember(archive, ".kml", "doc.kml", contents, error, c.limits), c.read)
            << c.name;
        EXPECT_EQ(contents, c.read ? text : "") << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

}  // namespace
}  // namespace geotal
