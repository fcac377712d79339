#include "output/Export.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <vector>

#include "files/ReplaceFile.h"
#include "support/DateTime.h"
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
         "latitude,longitude,name,time,altitude\r\n"
         "47.519000,8.250000,IMG_0001.JPG,,\r\n"
         "-33.868800,-151.209300,IMG_0002.JPG,,\r\n"},
        {1,
         "latitude;longitude;name;time;altitude\r\n"
         "47.519000;8.250000;IMG_0001.JPG;;\r\n"
         "-33.868800;-151.209300;IMG_0002.JPG;;\r\n"},
        {2,
         "latitude\tlongitude\tname\ttime\taltitude\r\n"
         "47.519000\t8.250000\tIMG_0001.JPG\t\t\r\n"
         "-33.868800\t-151.209300\tIMG_0002.JPG\t\t\r\n"},
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
    const std::string header = "latitude,longitude,name,time,altitude\r\n";
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
            EXPECT_EQ(record.size(), 5u) << separatorIndex << " " << record[0];
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
    EXPECT_EQ(CsvText(semicolon, 0),
              "latitude,longitude,name,time,altitude\r\n1.000000,1.000000,a;b.jpg,,\r\n");
    EXPECT_EQ(CsvText(semicolon, 1),
              "latitude;longitude;name;time;altitude\r\n1.000000;1.000000;\"a;b.jpg\";;\r\n");
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

// The capture moment comes from the calculation, else from the fix the position carries; the
// altitude only where one is known. The first three columns stay where readers expect them.
TEST(Export, writesTheUtcMomentAndTheAltitudeWhereKnown) {
    PhotoList photos;
    photos.records = {Photo("calculated.jpg", 3600, 7200), Photo("from-file.jpg", 3600, 7200),
                      Photo("typed.jpg", -3600, -7200)};
    photos[0].time.source = TimeSource::NamedZone;
    photos[0].time.utc = ToOleDate({2024, 5, 1, 10, 20, 30});
    photos[0].position->altitude = 512.37;
    photos[0].position->fixTime = ToOleDate({2020, 1, 1, 0, 0, 0});  // the calculation wins
    // 23:59:59.6 rounds into the next year, as a whole second.
    photos[1].position->fixTime = ToOleDate({2023, 12, 31, 23, 59, 59}) + 0.6 / kSecondsPerDay;
    photos[1].position->altitude = -3.0;

    EXPECT_EQ(CsvText(photos, 0),
              "latitude,longitude,name,time,altitude\r\n"
              "1.000000,2.000000,calculated.jpg,2024-05-01T10:20:30Z,512.37\r\n"
              "1.000000,2.000000,from-file.jpg,2024-01-01T00:00:00Z,-3\r\n"
              "-1.000000,-2.000000,typed.jpg,,\r\n");

    const std::string kml = KmlText(photos);
    EXPECT_NE(kml.find("<name>calculated.jpg</name>\r\n <description></description>\r\n"
                       "  <TimeStamp><when>2024-05-01T10:20:30Z</when></TimeStamp>\r\n"
                       "    <Point>\r\n <coordinates>2.000000,1.000000,512.37</coordinates>"),
              std::string::npos)
        << kml;
    EXPECT_NE(kml.find("<coordinates>2.000000,1.000000,-3</coordinates>"), std::string::npos);
    EXPECT_NE(kml.find("<name>typed.jpg</name>\r\n <description></description>\r\n"
                       "    <Point>\r\n <coordinates>-2.000000,-1.000000</coordinates>"),
              std::string::npos)
        << "no time stamp and no altitude where none is known";
}

// After Update unchecks what it wrote, an export would write headers alone over the last good
// file of that name.
TEST(ExportPositions, writesNothingAndKeepsAnEarlierFileWhenNoPhotoIsExported) {
    test::TempFolder folder;
    const std::string path = folder.Write("out.csv", "earlier export\r\n");
    for (ExportFormat format : {ExportFormat::Csv, ExportFormat::Kml}) {
        const ExportOutcome outcome = ExportPositions(path, format, 0, Unmarked(FourPhotos()));
        EXPECT_FALSE(outcome.written);
        EXPECT_TRUE(outcome.nothingToExport);
        EXPECT_NE(outcome.error.find("nothing was exported"), std::string::npos) << outcome.error;
        EXPECT_NE(outcome.error.find(path), std::string::npos) << outcome.error;
        EXPECT_EQ(ReadFile(path), "earlier export\r\n");
    }
    EXPECT_FALSE(ExportPositions(folder / "new.kml", ExportFormat::Kml, 0, PhotoList{}).written);
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"out.csv"});
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

// Runs check as a user who may not write into folder and answers its exit status: as root in a
// child process that became nobody (file then handed to nobody), else as this user with the
// folder made read-only.
int AsAUserWhoMayNotWriteTheFolder(const std::string& folder, const std::string& file,
                                   const std::function<int()>& check) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() != 0) {
        ::chmod(folder.c_str(), 0555);
        const int status = check();
        ::chmod(folder.c_str(), 0755);
        return status;
    }
    if (::chmod(folder.c_str(), 0755) != 0 || ::chown(file.c_str(), kNobody, kNobody) != 0) {
        return 100;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped =
            ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        ::_exit(dropped ? check() : 101);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return 102;
    }
    return WEXITSTATUS(status);
}

// Exit statuses of the checks run as the other user; the error goes to stderr.
int ExportAndSay(const std::string& path, bool expectWritten) {
    const ExportOutcome outcome = ExportPositions(path, ExportFormat::Csv, 0, FourPhotos());
    if (outcome.written != expectWritten) {
        std::fprintf(stderr, "written %d: %s\n", outcome.written, outcome.error.c_str());
        return 1;
    }
    const bool named = outcome.error.find(path) != std::string::npos &&
                       outcome.error.find(std::strerror(EACCES)) != std::string::npos;
    if (!expectWritten && !named) {
        std::fprintf(stderr, "unclear refusal: %s\n", outcome.error.c_str());
        return 2;
    }
    return 0;
}

TEST(ExportPositions, leavesAFileItMayNotWriteInAFolderItMayNotWriteIntact) {
    test::TempFolder folder;
    const std::string path = folder.Write("out.csv", "old content\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

    EXPECT_EQ(AsAUserWhoMayNotWriteTheFolder(folder.path(), path,
                                             [&] { return ExportAndSay(path, false); }),
              0);
    EXPECT_EQ(ReadFile(path), "old content\r\n");
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"out.csv"});
}

// A shared folder of another user often holds a file this user may write: the plain way of
// writing it, in place, still works there.
TEST(ExportPositions, writesAWritableFileInPlaceInAFolderItMayNotWrite) {
    test::TempFolder folder;
    const std::string path = folder.Write("out.csv", std::string(10000, 'x'));
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    EXPECT_EQ(AsAUserWhoMayNotWriteTheFolder(folder.path(), path,
                                             [&] { return ExportAndSay(path, true); }),
              0);
    EXPECT_EQ(ReadFile(path), CsvText(FourPhotos(), 0)) << "no old bytes after it";
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "written in place";
    EXPECT_EQ(after.st_mode & 07777, 0644u);
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"out.csv"});
}

struct LinkCase {
    const char* what;
    const char* link;    // under the test's folder
    const char* points;  // the link's content; "@" stands for the test's folder
    const char* target;  // the file that must get the content, under the test's folder
};

TEST(ExportPositions, writesThroughASymbolicLinkToItsTargetAndKeepsTheLink) {
    const LinkCase cases[] = {
        {"a link beside its target", "link.csv", "target.csv", "target.csv"},
        {"an absolute link into another folder", "link.csv", "@/sub/target.csv", "sub/target.csv"},
        {"a relative link into another folder", "link.csv", "sub/target.csv", "sub/target.csv"},
        {"a link to a link", "link.csv", "sub/link2.csv", "sub/target.csv"},
        {"a link to a file not there yet", "link.csv", "sub/new.csv", "sub/new.csv"},
    };
    for (const LinkCase& c : cases) {
        test::TempFolder folder;
        std::filesystem::create_directory(folder / "sub");
        const std::string old = std::string(5000, 'x');
        folder.Write("target.csv", old);
        folder.Write("sub/target.csv", old);
        ASSERT_EQ(::symlink("target.csv", (folder / "sub/link2.csv").c_str()), 0);
        std::string points = c.points;
        if (points.starts_with('@')) {
            points = folder.path() + points.substr(1);
        }
        ASSERT_EQ(::symlink(points.c_str(), (folder / c.link).c_str()), 0);
        std::set<std::string> flushed;
        std::string error;

        EXPECT_TRUE(ReplaceFileContents(folder / c.link, "new\r\n", error,
                                        [&](const std::string& at) {
                                            flushed.insert(at);
                                            return true;
                                        }))
            << c.what << ": " << error;
        EXPECT_EQ(ReadFile(folder / c.target), "new\r\n") << c.what;
        EXPECT_TRUE(std::filesystem::is_symlink(folder / c.link)) << c.what;
        EXPECT_EQ(std::filesystem::read_symlink(folder / c.link).string(), points) << c.what;
        ASSERT_EQ(flushed.size(), 1u) << c.what;
        EXPECT_TRUE(std::filesystem::equivalent(
            *flushed.begin(), std::filesystem::path(folder / c.target).parent_path()))
            << c.what << ": flushed " << *flushed.begin();
        for (const char* other : {"target.csv", "sub/target.csv"}) {
            if (folder / other != folder / c.target) {
                EXPECT_EQ(ReadFile(folder / other), old) << c.what << ": " << other;
            }
        }
        std::set<std::string> expected = {"link.csv", "target.csv", "sub"};
        EXPECT_EQ(Entries(folder.path()), expected) << c.what;
        expected = {"link2.csv", "target.csv"};
        if (std::string(c.target) == "sub/new.csv") {
            expected.insert("new.csv");
        }
        EXPECT_EQ(Entries(folder / "sub"), expected) << c.what << ": nothing left beside";
    }
}

// Names up to NAME_MAX bytes are valid, so the temporary name beside them must be no longer.
TEST(ExportPositions, writesFilesWhoseNamesHaveEveryValidLength) {
    std::string accented;  // 2-byte characters, so that a cut could split one
    while (accented.size() < 250) {
        accented += "\xC3\xA9";
    }
    const std::string names[] = {std::string(234, 'a') + ".csv", std::string(246, 'b') + ".csv",
                                 std::string(251, 'c') + ".csv", accented + "x.csv",
                                 accented + ".csv"};
    for (const std::string& name : names) {
        test::TempFolder folder;
        folder.Write(name, "old");
        const ExportOutcome outcome =
            ExportPositions(folder / name, ExportFormat::Csv, 0, FourPhotos());
        EXPECT_TRUE(outcome.written) << name.size() << ": " << outcome.error;
        EXPECT_EQ(ReadFile(folder / name), CsvText(FourPhotos(), 0)) << name.size();
        EXPECT_EQ(Entries(folder.path()), std::set<std::string>{name}) << name.size();
    }
    test::TempFolder folder;
    const std::string tooLong = folder / (std::string(252, 'd') + ".csv");
    const ExportOutcome outcome = ExportPositions(tooLong, ExportFormat::Csv, 0, FourPhotos());
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.error.find(tooLong), std::string::npos) << outcome.error;
    EXPECT_NE(outcome.error.find(std::strerror(ENAMETOOLONG)), std::string::npos) << outcome.error;
    EXPECT_TRUE(Entries(folder.path()).empty());
}

// Without the folder's flush a power cut may bring the old file back after success was shown.
TEST(ExportPositions, flushesTheFolderAfterTheRenameAndFailsWhenTheFlushFails) {
    test::TempFolder folder;
    const std::string path = folder.Write("out.kml", "old");
    std::vector<std::string> seen;
    std::string error;
    EXPECT_TRUE(ReplaceFileContents(path, "new", error, [&](const std::string& at) {
        seen.push_back(at + " holds " + ReadFile(path));
        return true;
    })) << error;
    EXPECT_EQ(seen, std::vector<std::string>{folder.path() + " holds new"});

    const bool written = ReplaceFileContents(path, "newer", error, [](const std::string&) {
        errno = EIO;
        return false;
    });
    EXPECT_FALSE(written) << "a flush that failed leaves the file unsure";
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(EIO)), std::string::npos) << error;
}

}  // namespace
}  // namespace geotal
