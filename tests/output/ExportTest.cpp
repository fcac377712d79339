#include "output/Export.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "support/TempFolder.h"

namespace geotal {
namespace {

// A marked photo; 0/0 stands for no position.
PhotoRecord Photo(const std::string& name, double latitude, double longitude, bool marked = true) {
    PhotoRecord photo;
    photo.fileName = name;
    photo.position = PositionFromFileValues(latitude, longitude);
    photo.marked = marked;
    return photo;
}

// North-east, south-west, marked without a position, and one photo left unmarked.
PhotoList FourPhotos() {
    PhotoList photos;
    photos.records = {
        Photo("IMG_0001.JPG", 171068.4, 29700),         // 47.519 N, 8.25 E
        Photo("IMG_0002.JPG", -121927.68, -544353.48),  // 33.8688 S, 151.2093 W
        Photo("IMG_0003.JPG", 0, 0),
        Photo("IMG_0004.JPG", 3600, 3600, false),
    };
    return photos;
}

PhotoList Unmarked(PhotoList photos) {
    for (PhotoRecord& photo : photos.records) {
        photo.marked = false;
    }
    return photos;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Reads CSV as a spreadsheet would: quoted fields may hold the separator, doubled quotes and
// line ends; records end in CR LF.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text, char separator) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = records.back().back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            records.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            records.emplace_back(1);
        } else {
            field += c;
        }
    }
    records.pop_back();  // the empty record after the last line end
    return records;
}

struct CsvCase {
    int separatorIndex;
    const char* text;
};

// A marked photo without a position is left out: at 0/0 it would claim a place it never was.
TEST(CsvExport, writesTheHeaderAndOneLinePerMarkedPhotoWithAPositionWithEachSeparator) {
    const CsvCase cases[] = {
        {0,
         "latitude,longitude,name\r\n"
         "47.519000,8.250000,IMG_0001.JPG\r\n"
         "-33.868800,-151.209300,IMG_0002.JPG\r\n"},
        {1,
         "latitude;longitude;name\r\n"
         "47.519000;8.250000;IMG_0001.JPG\r\n"
         "-33.868800;-151.209300;IMG_0002.JPG\r\n"},
        {2,
         "latitude\tlongitude\tname\r\n"
         "47.519000\t8.250000\tIMG_0001.JPG\r\n"
         "-33.868800\t-151.209300\tIMG_0002.JPG\r\n"},
    };
    for (const CsvCase& c : cases) {
        EXPECT_EQ(CsvText(FourPhotos(), c.separatorIndex), c.text)
            << "separator " << c.separatorIndex;
    }
    // A damaged setting still gives a file a reader can split.
    for (int index : {-1, 3}) {
        EXPECT_EQ(CsvText(FourPhotos(), index), cases[0].text) << index;
    }
}

TEST(CsvExport, writesOnlyTheHeaderWhenNoPhotoIsExported) {
    const std::string header = "latitude,longitude,name\r\n";
    EXPECT_EQ(CsvText(Unmarked(FourPhotos()), 0), header);
    EXPECT_EQ(CsvText(PhotoList{}, 0), header);
}

TEST(CsvExport, quotesANameThatWouldOtherwiseSplitOrEndItsLine) {
    PhotoList photos;
    photos.records = {Photo("a,\"b\";c.jpg", 3600, 7200), Photo("two\r\nlines.jpg", 1, 1),
                      Photo("plain.jpg", 1, 1)};
    for (int separatorIndex : {0, 1, 2}) {
        const auto records =
            ReadCsv(CsvText(photos, separatorIndex), CsvSeparatorOf(separatorIndex));
        ASSERT_EQ(records.size(), 4u) << separatorIndex;
        for (const auto& record : records) {
            EXPECT_EQ(record.size(), 3u) << separatorIndex << " " << record[0];
        }
        EXPECT_EQ(records[1][0], "1.000000");
        EXPECT_EQ(records[1][1], "2.000000");
        EXPECT_EQ(records[1][2], "a,\"b\";c.jpg");
        EXPECT_EQ(records[2][2], "two\r\nlines.jpg");
        EXPECT_EQ(records[3][2], "plain.jpg");
    }
    // Only a name that needs it is quoted: the semicolon is no separator here.
    PhotoList semicolon;
    semicolon.records = {Photo("a;b.jpg", 3600, 3600)};
    EXPECT_EQ(CsvText(semicolon, 0), "latitude,longitude,name\r\n1.000000,1.000000,a;b.jpg\r\n");
    EXPECT_EQ(CsvText(semicolon, 1),
              "latitude;longitude;name\r\n1.000000;1.000000;\"a;b.jpg\"\r\n");
}

const char kKmlHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<kml xmlns=\"http://earth.google.com/kml/2.1\">\r\n"
    "<Folder>\r\n"
    "<name>MyPhotos</name>\r\n";
const char kKmlTail[] = "</Folder>\r\n</kml>\r\n";

TEST(KmlExport, writesOnePlacemarkPerExportedPhotoLongitudeFirst) {
    const std::string expected = std::string(kKmlHead) +
                                 "<Placemark>\r\n"
                                 "  <name>IMG_0001.JPG</name>\r\n"
                                 " <description></description>\r\n"
                                 "    <Point>\r\n"
                                 " <coordinates>8.250000,47.519000</coordinates>\r\n"
                                 "    </Point>\r\n"
                                 "</Placemark>\r\n"
                                 "<Placemark>\r\n"
                                 "  <name>IMG_0002.JPG</name>\r\n"
                                 " <description></description>\r\n"
                                 "    <Point>\r\n"
                                 " <coordinates>-151.209300,-33.868800</coordinates>\r\n"
                                 "    </Point>\r\n"
                                 "</Placemark>\r\n" +
                                 kKmlTail;
    EXPECT_EQ(KmlText(FourPhotos()), expected);
}

TEST(KmlExport, writesOnlyTheFrameWhenNoPhotoIsExported) {
    EXPECT_EQ(KmlText(Unmarked(FourPhotos())), std::string(kKmlHead) + kKmlTail);
    EXPECT_EQ(KmlText(PhotoList{}), std::string(kKmlHead) + kKmlTail);
}

TEST(KmlExport, escapesMarkupInNamesSoTheDocumentStaysWellFormed) {
    PhotoList photos;
    photos.records = {Photo("Tom & Jerry.jpg", 1, 1), Photo("<b>bold</b>.jpg", 1, 1),
                      Photo("it's \"fine\".jpg", 1, 1)};
    const std::string kml = KmlText(photos);
    EXPECT_NE(kml.find("<name>Tom &amp; Jerry.jpg</name>"), std::string::npos);
    EXPECT_NE(kml.find("<name>&lt;b&gt;bold&lt;/b&gt;.jpg</name>"), std::string::npos);
    EXPECT_NE(kml.find("<name>it's \"fine\".jpg</name>"), std::string::npos)
        << "quotes need no escape in element text";

    const std::set<std::string> tags = {
        "<?xml ",         "<kml ",   "</kml>",      "<Folder>",      "</Folder>",
        "<name>",         "</name>", "<Placemark>", "</Placemark>",  "<description>",
        "</description>", "<Point>", "</Point>",    "<coordinates>", "</coordinates>"};
    for (std::size_t at = kml.find('<'); at != std::string::npos; at = kml.find('<', at + 1)) {
        bool known = false;
        for (const std::string& tag : tags) {
            known = known || kml.compare(at, tag.size(), tag) == 0;
        }
        EXPECT_TRUE(known) << "stray '<' at " << kml.substr(at, 20);
    }
    for (std::size_t at = kml.find('&'); at != std::string::npos; at = kml.find('&', at + 1)) {
        const std::string rest = kml.substr(at, 5);
        EXPECT_TRUE(rest == "&amp;" || rest.starts_with("&lt;") || rest.starts_with("&gt;"))
            << "stray '&' at " << kml.substr(at, 20);
    }
}

TEST(ExportPositions, writesEachFormatAndCountsThePositions) {
    test::TempFolder folder;
    const PhotoList photos = FourPhotos();

    const ExportOutcome csv = ExportPositions(folder / "out.csv", ExportFormat::Csv, 1, photos);
    EXPECT_TRUE(csv.written) << csv.error;
    EXPECT_EQ(csv.count, 2);
    EXPECT_EQ(ReadFile(folder / "out.csv"), CsvText(photos, 1));

    const ExportOutcome kml = ExportPositions(folder / "out.kml", ExportFormat::Kml, 1, photos);
    EXPECT_TRUE(kml.written) << kml.error;
    EXPECT_EQ(kml.count, 2);
    EXPECT_EQ(ReadFile(folder / "out.kml"), KmlText(photos));

    EXPECT_EQ(Entries(folder.path()), (std::set<std::string>{"out.csv", "out.kml"}));
}

TEST(ExportPositions, replacesAnExistingFileWhollyAndKeepsItsPermissions) {
    test::TempFolder folder;
    const std::string path = folder.Write("out.csv", std::string(10000, 'x'));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

    const ExportOutcome outcome = ExportPositions(path, ExportFormat::Csv, 0, FourPhotos());
    EXPECT_TRUE(outcome.written) << outcome.error;
    EXPECT_EQ(ReadFile(path), CsvText(FourPhotos(), 0)) << "no old bytes after it";
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"out.csv"});
}

struct FailureCase {
    const char* what;
    const char* name;  // under the test's folder; empty for the empty path
    int reason;
};

TEST(ExportPositions, reportsAFileItCannotWriteWithItsNameAndReason) {
    const FailureCase cases[] = {
        {"a folder that does not exist", "missing/out.csv", ENOENT},
        {"a path under a regular file", "old.csv/out.csv", ENOTDIR},
        {"a path that is a folder", "folder", EISDIR},
        {"an empty path", "", ENOENT},
    };
    for (const FailureCase& c : cases) {
        test::TempFolder folder;
        folder.Write("old.csv", "old content\r\n");
        std::filesystem::create_directory(folder / "folder");
        const std::string path = *c.name != '\0' ? folder / c.name : "";

        const ExportOutcome outcome = ExportPositions(path, ExportFormat::Kml, 0, FourPhotos());
        EXPECT_FALSE(outcome.written) << c.what;
        EXPECT_EQ(outcome.count, 0) << c.what;
        EXPECT_NE(outcome.error.find(path), std::string::npos) << c.what << ": " << outcome.error;
        EXPECT_NE(outcome.error.find(std::strerror(c.reason)), std::string::npos)
            << c.what << ": " << outcome.error;
        EXPECT_EQ(ReadFile(folder / "old.csv"), "old content\r\n") << c.what;
        EXPECT_EQ(Entries(folder.path()), (std::set<std::string>{"old.csv", "folder"})) << c.what;
    }
}

TEST(ExportPositions, leavesTheOldFileInAReadOnlyFolderIntact) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    test::TempFolder folder;
    const std::string path = folder.Write("out.csv", "old content\r\n");
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);

    const ExportOutcome outcome = ExportPositions(path, ExportFormat::Csv, 0, FourPhotos());
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.error.find(path), std::string::npos) << outcome.error;
    EXPECT_NE(outcome.error.find(std::strerror(EACCES)), std::string::npos) << outcome.error;
    EXPECT_EQ(ReadFile(path), "old content\r\n");
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"out.csv"});
}

}  // namespace
}  // namespace geotal
