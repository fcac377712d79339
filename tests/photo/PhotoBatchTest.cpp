#include "photo/PhotoBatch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>

#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "photo/MarkedRows.h"
#include "photo/PhotoPaths.h"
#include "photo/PhotoUpdate.h"
#include "support/TraceLog.h"

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
            batch.Add(i, paths[i], {kLat, kLon, 420.0, {}});
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
        batch.Add(0, ab, {kLat, kLon, 420.0, {}});
        batch.Add(1, ac, {kLat + 1, kLon, 420.0, {}});
        batch.Add(2, ab, {kLat + 2, kLon, 420.0, {}});
    }
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(outcomes.byTicket[i].result, WriteResult::Written)
            << i << ": " << outcomes.byTicket[i].message;
    }
    // One photo is written once in a run, whatever names it comes under.
    EXPECT_EQ(outcomes.byTicket[2].code, WriteCode::SamePhotoTwice);
    EXPECT_EQ(TagText(ab, "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 36/1");
    EXPECT_EQ(TagText(ac, "Exif.GPSInfo.GPSLatitude"), "47/1 30/1 37/1");
    EXPECT_NE(ReadBytes(ac).find("tail of a.c"), std::string::npos);
    EXPECT_EQ(ReadBytes(ab).find("tail of a.c"), std::string::npos);
    EXPECT_FALSE(HasTemporaryFile(folder.path()));
}

// The trace is read photo by photo: each write, failed or not, begins and ends there.
TEST(PhotoBatch, tracesTheStartAndEndOfEachPhotosWrite) {
    TempFolder folder;
    const std::vector<std::string> paths = {
        MakeDatedPhoto(folder / "a.jpg"), folder / "missing.jpg", MakeDatedPhoto(folder / "c.jpg")};
    EnableTrace(folder / "trace.txt");
    {
        PhotoWriter writer;
        PhotoBatch batch(writer, {});
        for (std::size_t i = 0; i < paths.size(); ++i) {
            batch.Add(i, paths[i], {kLat, kLon, {}, {}});
        }
    }
    DisableTrace();
    const std::string trace = ReadBytes(folder / "trace.txt");
    int open = 0;
    int ended = 0;
    for (std::size_t at = 0; (at = trace.find("-> ", at)) != std::string::npos; ++at) {
        const std::string line = trace.substr(at + 3, trace.find("\r\n", at) - at - 3);
        if (line == "Start PutFileLongLat") {
            ++open;
        } else if (line == "End PutFileLongLat") {
            EXPECT_GT(open, ended) << "an end without its start";
            ++ended;
        }
    }
    EXPECT_EQ(open, 3);
    EXPECT_EQ(ended, 3);
}

// Between a photo's preparation and its batch's commit, another program may change the photo,
// remove it, or put its own file under the new file's name.
TEST(PhotoBatch, swapsInOnlyTheFileItWroteOverThePhotoItRead) {
    TempFolder folder;
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back(MakeDatedPhoto(folder / ("p" + std::to_string(i) + ".jpg")));
    }
    const std::string pending2 = TemporaryNameOf(paths[2], "_newGeotal");
    const std::string before2 = ReadBytes(paths[2]);
    Outcomes outcomes;
    PhotoWriter writer;
    {
        PhotoBatch batch(writer, outcomes.Sink());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            batch.Add(i, paths[i], {kLat, kLon, {}, {}});
        }
        batch.Settle();  // every photo prepared, none committed
        ASSERT_TRUE(outcomes.byTicket.empty()) << "all pending";
        WriteBytes(paths[0], ReadBytes(paths[0]) + "keywords");
        ASSERT_EQ(::unlink(paths[1].c_str()), 0);
        ASSERT_EQ(::unlink(pending2.c_str()), 0);
        WriteBytes(pending2, "another program's file");
    }
    EXPECT_EQ(outcomes.byTicket[0].code, WriteCode::ChangedMeanwhile);
    EXPECT_NE(ReadBytes(paths[0]).find("keywords"), std::string::npos);
    EXPECT_EQ(TagText(paths[0], "Exif.GPSInfo.GPSLatitudeRef"), "");
    EXPECT_EQ(outcomes.byTicket[1].code, WriteCode::ChangedMeanwhile);
    EXPECT_FALSE(test::Exists(paths[1])) << "a removed photo is not made anew";
    EXPECT_EQ(outcomes.byTicket[2].code, WriteCode::NewFileTaken);
    EXPECT_EQ(ReadBytes(paths[2]), before2);
    EXPECT_EQ(ReadBytes(pending2), "another program's file");
    EXPECT_EQ(outcomes.byTicket[3].result, WriteResult::Written);
    EXPECT_EQ(TagText(paths[3], "Exif.GPSInfo.GPSLatitudeRef"), "N");
    for (std::size_t i : {0, 1}) {
        EXPECT_NE(outcomes.byTicket[i].message.find("another program"), std::string::npos);
    }
}

TEST(PhotoBatch, refusesAFolderThatAnotherRunIsUpdating) {
    TempFolder folder;
    const std::string a = MakeDatedPhoto(folder / "a.jpg");
    const std::string b = MakeDatedPhoto(folder / "b.jpg");
    const std::string bBefore = ReadBytes(b);
    PhotoWriter writer;
    Outcomes first;
    Outcomes second;
    {
        PhotoBatch running(writer, first.Sink());
        running.Add(0, a, {kLat, kLon, {}, {}});
        PhotoBatch other(writer, second.Sink());
        other.Add(0, folder.path() + "/./b.jpg", {kLat, kLon, {}, {}});  // spelt another way
        EXPECT_EQ(second.byTicket[0].code, WriteCode::FolderBusy);
        EXPECT_EQ(second.byTicket[0].result, WriteResult::StopRun);
        EXPECT_NE(second.byTicket[0].message.find("another run of Geotal"), std::string::npos);
        EXPECT_EQ(ReadBytes(b), bBefore);
    }
    EXPECT_EQ(first.byTicket[0].result, WriteResult::Written);
    EXPECT_EQ(PhotoWriter().PutFileLongLat(b, {kLat, kLon, {}, {}}).result, WriteResult::Written)
        << "free again once the first run ended";
}

TEST(PhotoBatch, flushesTheCopyFolderBeforeAnyPhotoChangesAndFailsWhatAFlushLeftUnsure) {
    for (const bool copiesFlush : {true, false}) {
        SCOPED_TRACE(copiesFlush ? "the photos' folder cannot be flushed"
                                 : "the copy folder cannot be flushed");
        TempFolder folder;
        const std::string photos = folder / "photos";
        const std::string copies = folder / "copies";
        ASSERT_EQ(::mkdir(photos.c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(copies.c_str(), 0755), 0);
        const std::string a = MakeDatedPhoto(photos + "/a.jpg");
        const std::string b = MakeDatedPhoto(photos + "/b.jpg");
        std::vector<std::string> flushed;
        BatchLimits limits;
        limits.flushFolder = [&](const std::string& name) {
            flushed.push_back(name);
            if (name == copies) {
                EXPECT_EQ(TagText(a, "Exif.GPSInfo.GPSLatitudeRef"), "") << "a photo changed first";
                errno = EIO;
                return copiesFlush;
            }
            errno = EIO;
            return false;
        };
        Outcomes outcomes;
        PhotoWriter writer;
        writer.SetCopyOptions(true, copies);
        {
            PhotoBatch batch(writer, outcomes.Sink(), limits);
            batch.Add(0, a, {kLat, kLon, {}, {}});
            batch.Add(1, b, {kLat, kLon, {}, {}});
        }
        ASSERT_FALSE(flushed.empty());
        EXPECT_EQ(flushed.front(), copies);
        for (std::size_t i : {0, 1}) {
            EXPECT_EQ(outcomes.byTicket[i].result, WriteResult::Failed);
            EXPECT_EQ(outcomes.byTicket[i].code,
                      copiesFlush ? WriteCode::FolderFlushFailed : WriteCode::CopyFailed);
            EXPECT_NE(outcomes.byTicket[i].message.find("Input/output error"), std::string::npos)
                << outcomes.byTicket[i].message;
        }
        EXPECT_EQ(TagText(a, "Exif.GPSInfo.GPSLatitudeRef"), copiesFlush ? "N" : "");
        EXPECT_FALSE(HasTemporaryFile(photos));
    }
}

TEST(PhotoBatch, commitsWhenItHoldsAsManyPhotosOrBytesAsAllowed) {
    TempFolder folder;
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(MakeDatedPhoto(folder / ("p" + std::to_string(i) + ".jpg")));
    }
    for (const BatchLimits& limits : {BatchLimits{1u << 30, 2}, BatchLimits{1, 100}}) {
        Outcomes outcomes;
        PhotoWriter writer;
        PhotoBatch batch(writer, outcomes.Sink(), limits);
        for (std::size_t i = 0; i < 3; ++i) {
            batch.Add(i, paths[i], {kLat, kLon, 420.0, {}});
        }
        // Full after two photos, or after each: what is committed is already in place, once
        // the photos handed over are taken in.
        batch.Settle();
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
    const UpdateCounts updated = WriteMarkedPhotos(photos, writer, progress, {});

    EXPECT_EQ(updated, (UpdateCounts{5, 0}));
    std::set<int> checked;
    for (int i : test::MarkedRows(photos)) {
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
