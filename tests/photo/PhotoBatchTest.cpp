#include "photo/PhotoBatch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>

#include <gtest/gtest.h>

#include "photo/PhotoFixture.h"
#include "photo/PhotoPaths.h"
#include "photo/PhotoUpdate.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::RecordingProgress;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

constexpr double kLat = 171036.0;  // 47°30'36" N
constexpr double kLon = 29700.0;   // 8°15' E

// Every outcome a batch reported, by ticket.
struct Outcomes {
    std::map<std::size_t, WriteOutcome> byTicket;
    OutcomeSink Sink() {
        return [this](std::size_t ticket, const WriteOutcome& outcome) {
            EXPECT_EQ(byTicket.count(ticket), 0u) << "reported twice: " << ticket;
            byTicket[ticket] = outcome;
        };
    }
};

bool HasTemporaryFile(const std::string& folder) {
    for (const std::string& name : test::FolderNames(folder)) {
        if (IsTemporaryName(name)) {
            return true;
        }
    }
    return false;
}

TEST(PhotoBatch, writesTheOthersOfABatchAndLeavesAFailingPhotoUntouched) {
    TempFolder folder;
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) {
        paths.push_back(MakeDatedPhoto(folder / ("p" + std::to_string(i) + ".jpg")));
    }
    WriteBytes(folder / "p1_oldGeotal.jpg", "left by an interrupted update");
    ASSERT_EQ(::link(paths[3].c_str(), (folder / "other-name.jpg").c_str()), 0);
    std::set<std::size_t> failing = {1, 3};
    if (::geteuid() != 0) {  // root may write a read-only photo
        ASSERT_EQ(::chmod(paths[4].c_str(), 0444), 0);
        failing.insert(4);
    }
    std::map<std::size_t, std::string> before;
    for (std::size_t i : failing) {
        before[i] = ReadBytes(paths[i]);
    }

    Outcomes outcomes;
    PhotoWriter writer;
    {
        PhotoBatch batch(writer, outcomes.Sink());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            batch.Add(i, paths[i], kLat, kLon, 420.0);
        }
        batch.Commit();
    }

    ASSERT_EQ(outcomes.byTicket.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (failing.count(i) > 0) {
            EXPECT_EQ(outcomes.byTicket[i].result, WriteResult::Failed) << i;
            EXPECT_FALSE(outcomes.byTicket[i].message.empty()) << i;
            EXPECT_EQ(ReadBytes(paths[i]), before[i]) << i;
        } else {
            EXPECT_EQ(outcomes.byTicket[i].result, WriteResult::Written)
                << i << ": " << outcomes.byTicket[i].message;
            EXPECT_EQ(TagText(paths[i], "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 36/1") << i;
        }
    }
    EXPECT_EQ(outcomes.byTicket[1].code, WriteCode::RenameOldFailed);
    EXPECT_EQ(outcomes.byTicket[3].code, WriteCode::SeveralNames);
    EXPECT_EQ(ReadBytes(folder / "p1_oldGeotal.jpg"), "left by an interrupted update");
    const std::vector<std::string> names = test::FolderNames(folder.path());
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& name) { return IsTemporaryName(name); }),
              1)
        << "only the leftover";
}

// a.b.jpg and a.c.jpg share their temporary names, and a photo can be named twice: in one
// batch, a later photo's repair would remove an earlier one's pending file, or its rename put
// one photo's content under the other's name.
TEST(PhotoBatch, keepsPhotosThatShareATemporaryNameApart) {
    TempFolder folder;
    const std::string ab = MakeDatedPhoto(folder / "a.b.jpg");
    const std::string ac = MakeDatedPhoto(folder / "a.c.jpg");
    WriteBytes(ac, ReadBytes(ac) + "tail of a.c");  // the two differ in their bytes
    Outcomes outcomes;
    PhotoWriter writer;
    {
        PhotoBatch batch(writer, outcomes.Sink());
        batch.Add(0, ab, kLat, kLon, 420.0);
        batch.Add(1, ac, kLat + 1, kLon, 420.0);
        batch.Add(2, ab, kLat + 2, kLon, 420.0);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(outcomes.byTicket[i].result, WriteResult::Written)
            << i << ": " << outcomes.byTicket[i].message;
    }
    EXPECT_EQ(TagText(ab, "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 38/1");
    EXPECT_EQ(TagText(ac, "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 37/1");
    EXPECT_NE(ReadBytes(ac).find("tail of a.c"), std::string::npos);
    EXPECT_EQ(ReadBytes(ab).find("tail of a.c"), std::string::npos);
    EXPECT_FALSE(HasTemporaryFile(folder.path()));
}

TEST(PhotoBatch, commitsWhenItHoldsAsManyPhotosOrBytesAsAllowed) {
    TempFolder folder;
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(MakeDatedPhoto(folder / ("p" + std::to_string(i) + ".jpg")));
    }
    for (const BatchLimits limits : {BatchLimits{1u << 30, 2}, BatchLimits{1, 100}}) {
        Outcomes outcomes;
        PhotoWriter writer;
        PhotoBatch batch(writer, outcomes.Sink(), limits);
        for (std::size_t i = 0; i < 3; ++i) {
            batch.Add(i, paths[i], kLat, kLon, 420.0);
        }
        // Full after two photos, or after each: what is committed is already in place.
        EXPECT_GE(outcomes.byTicket.size(), 2u);
        EXPECT_EQ(TagText(paths[1], "Exif.GPSInfo.GPSLatitudeRef"), "N");
        batch.Commit();
        EXPECT_EQ(outcomes.byTicket.size(), 3u);
        EXPECT_FALSE(HasTemporaryFile(folder.path()));
    }
}

// An abort stops the run after the current photo; the batch tried so far is committed.
TEST(WriteMarkedPhotos, leavesEveryPhotoOldOrNewAndNoTemporaryFileAfterAnAbortInABatch) {
    TempFolder folder;
    PhotoList photos;
    photos.folder = folder.path();
    for (int i = 0; i < 8; ++i) {
        PhotoRecord photo;
        photo.fileName = "p" + std::to_string(i) + ".jpg";
        MakeDatedPhoto(folder / photo.fileName);
        photo.position = GeoPosition{kLat, kLon, {}, {}};
        photo.marked = true;
        photos.records.push_back(photo);
    }
    const std::string original = ReadBytes(folder / "p0.jpg");
    RecordingProgress progress(4);
    PhotoWriter writer;
    const int updated = WriteMarkedPhotos(photos, writer, progress, {});

    EXPECT_EQ(updated, 5);
    std::set<int> checked;
    for (int i : photos.Marked()) {
        checked.insert(i);
    }
    EXPECT_EQ(checked, (std::set<int>{5, 6, 7}));
    for (int i = 0; i < 8; ++i) {
        const std::string path = folder / photos[i].fileName;
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitude"), i < 5 ? "47/1 30/1 36/1" : "") << i;
        if (i >= 5) {
            EXPECT_EQ(ReadBytes(path), original) << i;
        }
    }
    EXPECT_FALSE(HasTemporaryFile(folder.path()));
}

}  // namespace
}  // namespace geotal
