// The batch with photos prepared on two threads: what one preparer promises must hold with two,
// whatever the threads' timing.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "photo/MarkedRows.h"
#include "photo/PhotoBatch.h"
#include "photo/PhotoPaths.h"
#include "photo/PhotoUpdate.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

constexpr double kLat = 171036.0;  // 47°30'36" N
constexpr double kLon = 29700.0;   // 8°15' E

// Each outcome as it came: ticket, result and step, as "12 written 0".
using Reported = std::vector<std::string>;

std::string Numbered(const std::string& stem, int i) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", i);
    return stem + digits;
}

// A folder of photos of which many fail, each for its own reason, and the paths to add: photos,
// missing ones, leftovers of an interrupted update, text under a photo's name, a photo with two
// names, second names of photos already added, and a temporary file given as a photo.
std::vector<std::string> MakeTroubledFolder(const std::string& folder, int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "/" + Numbered("p", i) + ".jpg";
        if (i % 7 == 3) {
            paths.push_back(path);  // never made
            continue;
        }
        if (i % 17 == 5) {
            WriteBytes(path, "not a photo at all");
        } else {
            MakeDatedPhoto(path);
        }
        if (i % 11 == 2) {
            WriteBytes(TemporaryNameOf(path, "_oldGeotal"), "left by an interrupted update");
        }
        if (i % 19 == 8) {
            EXPECT_EQ(::link(path.c_str(), (folder + "/" + Numbered("hard", i)).c_str()), 0);
        }
        paths.push_back(path);
        if (i % 13 == 6 && i > 20) {
            // A second name of a photo added earlier: refused as the same photo.
            const std::string link = folder + "/" + Numbered("link", i) + ".jpg";
            const std::string earlier = folder + "/" + Numbered("p", i - 20) + ".jpg";
            EXPECT_EQ(::symlink(earlier.c_str(), link.c_str()), 0);
            paths.push_back(link);
        }
        if (i % 23 == 9) {
            const std::string left = TemporaryNameOf(path, "_newGeotal");
            WriteBytes(left, ReadBytes(path));
            paths.push_back(left);  // a glob's pick after a killed run
        }
    }
    return paths;
}

struct BatchRun {
    Reported reported;
    std::set<std::thread::id> threads;
};

// Writes the paths in one batch with that many preparers, some new files failing their flush.
BatchRun WriteAll(const std::vector<std::string>& paths, std::size_t preparers) {
    BatchRun run;
    BatchLimits limits;
    limits.photos = 8;
    limits.preparers = preparers;
    limits.flush = [](const std::vector<std::string>& files) {
        std::vector<int> results;
        for (const std::string& file : files) {
            // The photos whose number ends in 4 fail their flush.
            const std::size_t marker = file.find("_newGeotal");
            results.push_back(marker != std::string::npos && marker > 0 &&
                                      file[marker - 1] == '4'
                                  ? EIO
                                  : 0);
        }
        return results;
    };
    PhotoWriter writer;
    {
        PhotoBatch batch(
            writer,
            [&run](std::size_t ticket, const WriteOutcome& outcome) {
                run.reported.push_back(
                    std::to_string(ticket) +
                    (outcome.result == WriteResult::Written ? " written " : " not written ") +
                    std::to_string(static_cast<int>(outcome.code)));
                run.threads.insert(std::this_thread::get_id());
            },
            limits);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            batch.Add(i, paths[i], {kLat + static_cast<double>(i % 50), kLon, 420.0, {}});
        }
        batch.Commit();
    }
    return run;
}

TEST(PhotoBatchThreads, reportsEveryTicketOnceOnTheCallersThreadInTheOrderOfOnePreparer) {
    TempFolder one;
    const std::vector<std::string> onePaths = MakeTroubledFolder(one.path(), 140);
    const BatchRun alone = WriteAll(onePaths, 1);
    ASSERT_EQ(alone.reported.size(), onePaths.size());
    std::map<WriteCode, int> codes;
    for (const std::string& line : alone.reported) {
        ++codes[static_cast<WriteCode>(std::stoi(line.substr(line.rfind(' ') + 1)))];
    }
    // Every kind of failure is there, and successes.
    for (const WriteCode code : {WriteCode::None, WriteCode::RenameOldFailed,
                                 WriteCode::SeveralNames, WriteCode::SamePhotoTwice,
                                 WriteCode::NotAPhoto, WriteCode::MergeFailed}) {
        EXPECT_GT(codes[code], 0) << static_cast<int>(code);
    }
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        TempFolder two;
        const std::vector<std::string> twoPaths = MakeTroubledFolder(two.path(), 140);
        const BatchRun both = WriteAll(twoPaths, 2);
        EXPECT_EQ(both.threads, (std::set<std::thread::id>{std::this_thread::get_id()}));
        std::set<std::size_t> tickets;
        for (const std::string& line : both.reported) {
            EXPECT_TRUE(tickets.insert(std::stoul(line)).second) << "reported twice: " << line;
        }
        EXPECT_EQ(tickets.size(), twoPaths.size());
        // The same outcomes, in the same order.
        for (std::size_t i = 0; i < std::min(both.reported.size(), alone.reported.size()); ++i) {
            ASSERT_EQ(both.reported[i], alone.reported[i]) << "outcome " << i;
        }
        // And the same files, byte for byte.
        const std::vector<std::string> names = test::FolderNames(one.path());
        ASSERT_EQ(test::FolderNames(two.path()), names);
        for (const std::string& name : names) {
            EXPECT_EQ(ReadBytes(two / name), ReadBytes(one / name)) << name;
        }
    }
}

// Memory cards ignore case: IMG_0001.JPG and IMG_0001.x.jpg have one temporary name there. Two
// such photos must never have their new files on disk at once, whether pending or being made.
TEST(PhotoBatchThreads, neverHasTwoNewFilesOfTemporaryNamesACardTakesForOne) {
    TempFolder folder;
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) {
        const std::string stem = folder / Numbered("IMG_", i);
        paths.push_back(MakeDatedPhoto(stem + ".JPG"));
        paths.push_back(MakeDatedPhoto(stem + ".edited.jpg"));
        paths.push_back(MakeDatedPhoto(folder / Numbered("other_", i) + ".jpg"));
    }
    std::atomic<bool> done{false};
    std::atomic<int> looks{0};
    std::mutex clashMutex;
    std::string clash;
    // Looks at the folder over and over while the batch writes.
    std::thread watcher([&] {
        while (!done) {
            std::vector<std::string> pending;
            if (DIR* dir = ::opendir(folder.path().c_str())) {
                while (const dirent* entry = ::readdir(dir)) {
                    const std::string name = entry->d_name;
                    if (name.find("_newGeotal") != std::string::npos) {
                        pending.push_back(name);
                    }
                }
                ::closedir(dir);
            }
            for (std::size_t a = 0; a < pending.size(); ++a) {
                for (std::size_t b = a + 1; b < pending.size(); ++b) {
                    if (MayNameTheSameFile(pending[a], pending[b])) {
                        const std::lock_guard<std::mutex> lock(clashMutex);
                        clash = pending[a] + " and " + pending[b];
                    }
                }
            }
            ++looks;
        }
    });
    std::map<std::size_t, WriteOutcome> outcomes;
    {
        PhotoWriter writer;
        PhotoBatch batch(writer, [&](std::size_t ticket, const WriteOutcome& outcome) {
            outcomes[ticket] = outcome;
        });
        for (std::size_t i = 0; i < paths.size(); ++i) {
            batch.Add(i, paths[i], {kLat, kLon + static_cast<double>(i % 2), {}, {}});
        }
    }
    done = true;
    watcher.join();
    EXPECT_GT(looks.load(), 0);
    EXPECT_EQ(clash, "") << "both new files were on disk at once";
    ASSERT_EQ(outcomes.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(outcomes[i].result, WriteResult::Written) << paths[i] << outcomes[i].message;
        EXPECT_EQ(TagText(paths[i], "Exif.GPSInfo.GPSLongitude"),
                  i % 2 == 0 ? "8/1 15/1 0/1" : "8/1 15/1 1/1")
            << paths[i];
    }
}

// With backups, two photos of one name in different folders: the first keeps the backup, as
// one preparer gives it, and the second is refused, however the threads run.
TEST(PhotoBatchThreads, givesTheBackupOfANameToTheFirstPhotoOfThatName) {
    for (int round = 0; round < 5; ++round) {
        TempFolder folder;
        const std::string copies = folder / "copies";
        ASSERT_EQ(::mkdir(copies.c_str(), 0755), 0);
        std::vector<std::string> paths;
        for (const char* sub : {"a", "b"}) {
            ASSERT_EQ(::mkdir((folder / sub).c_str(), 0755), 0);
        }
        for (int i = 0; i < 10; ++i) {
            paths.push_back(MakeDatedPhoto(folder / "a" + "/" + Numbered("p", i) + ".jpg"));
            const std::string other = folder / "b" + "/" + Numbered("p", i) + ".jpg";
            WriteBytes(other, ReadBytes(MakeDatedPhoto(other)) + "another photo");
            paths.push_back(other);
        }
        std::map<std::size_t, WriteOutcome> outcomes;
        PhotoWriter writer;
        writer.SetCopyOptions(true, copies);
        {
            PhotoBatch batch(writer, [&](std::size_t ticket, const WriteOutcome& outcome) {
                outcomes[ticket] = outcome;
            });
            for (std::size_t i = 0; i < paths.size(); ++i) {
                batch.Add(i, paths[i], {kLat, kLon, {}, {}});
            }
        }
        ASSERT_EQ(outcomes.size(), paths.size());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            EXPECT_EQ(outcomes[i].code, i % 2 == 0 ? WriteCode::None : WriteCode::BackupExists)
                << paths[i];
        }
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(ReadBytes(copies + "/" + Numbered("p", i) + ".jpg").find("another photo"),
                      std::string::npos);
        }
    }
}

// An abort stops the run after the current photo: no photo after it is even begun, so none of
// them has a backup, and the photos before it are all written.
TEST(PhotoBatchThreads, beginsNoPhotoAfterAnAbort) {
    TempFolder folder;
    const std::string copies = folder / "copies";
    ASSERT_EQ(::mkdir(copies.c_str(), 0755), 0);
    PhotoList photos;
    photos.folder = folder.path();
    for (int i = 0; i < 60; ++i) {
        PhotoRecord photo;
        photo.fileName = Numbered("p", i) + ".jpg";
        MakeDatedPhoto(folder / photo.fileName);
        photo.position = GeoPosition{kLat, kLon, {}, {}};
        photo.marked = true;
        photos.records.push_back(photo);
    }
    const std::string original = ReadBytes(folder / photos[0].fileName);
    test::RecordingProgress progress(21);
    PhotoWriter writer;
    writer.SetCopyOptions(true, copies);
    std::set<std::thread::id> threads;
    UpdateCallbacks callbacks;
    callbacks.changed = [&threads](int) { threads.insert(std::this_thread::get_id()); };
    const UpdateCounts updated = WriteMarkedPhotos(photos, writer, progress, callbacks);

    EXPECT_EQ(updated, (UpdateCounts{22, 0}));
    EXPECT_EQ(threads, (std::set<std::thread::id>{std::this_thread::get_id()}));
    for (int i = 0; i < 60; ++i) {
        const std::string path = folder / photos[i].fileName;
        EXPECT_EQ(photos[i].marked, i >= 22) << i;
        EXPECT_EQ(TagText(path, "Exif.GPSInfo.GPSLatitude"), i < 22 ? "47/1 30/1 36/1" : "") << i;
        EXPECT_EQ(test::Exists(copies + "/" + photos[i].fileName), i < 22) << i;
        if (i >= 22) {
            EXPECT_EQ(ReadBytes(path), original) << i;
        }
    }
    for (const std::string& name : test::FolderNames(folder.path())) {
        EXPECT_FALSE(IsTemporaryName(name)) << name;
    }
}

// The trace is read photo by photo: each photo's lines, made on whichever thread, come between
// its start and the next photo's start, and every start has its end.
TEST(PhotoBatchThreads, tracesEachPhotosLinesTogether) {
    TempFolder folder;
    std::vector<std::string> paths;
    for (int i = 0; i < 30; ++i) {
        paths.push_back(i % 5 == 2 ? folder / Numbered("missing", i) + ".jpg"
                                   : MakeDatedPhoto(folder / Numbered("p", i) + ".jpg"));
    }
    EnableTrace(folder / "trace.txt");
    {
        PhotoWriter writer;
        PhotoBatch batch(writer, {});
        for (std::size_t i = 0; i < paths.size(); ++i) {
            batch.TraceNext("Save to file = " + paths[i]);
            batch.Add(i, paths[i], {kLat, kLon, {}, {}});
        }
    }
    DisableTrace();
    const std::string trace = ReadBytes(folder / "trace.txt");
    std::vector<std::string> lines;
    for (std::size_t at = 0; (at = trace.find("-> ", at)) != std::string::npos; ++at) {
        lines.push_back(trace.substr(at + 3, trace.find("\r\n", at) - at - 3));
    }
    int started = 0;
    int ended = 0;
    std::size_t photo = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("Save to file = ", 0) == 0) {
            ASSERT_LT(photo, paths.size());
            EXPECT_EQ(lines[i], "Save to file = " + paths[photo]) << "photos in their order";
            ASSERT_LT(i + 1, lines.size());
            EXPECT_EQ(lines[i + 1], "Start PutFileLongLat");
            ++photo;
        } else if (lines[i] == "Start PutFileLongLat") {
            ++started;
        } else if (lines[i] == "End PutFileLongLat") {
            EXPECT_GT(started, ended) << "an end without its start";
            ++ended;
        } else if (lines[i] == "  Merge") {
            // A photo's own step, between its start and the next photo's.
            EXPECT_GT(started, ended) << i;
        }
    }
    EXPECT_EQ(photo, paths.size());
    EXPECT_EQ(started, 30);
    EXPECT_EQ(ended, 30);
}

}  // namespace
}  // namespace geotal
