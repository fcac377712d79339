#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "cli/KillAtChange.h"
#include "metadata/PhotoFixture.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const std::vector<std::string> kPosition = {"set", "47.51", "8.25", "--altitude", "420"};

// The file systems the writer meets: an ordinary one, and one like a FAT memory card.
struct FileSystem {
    const char* name;
    bool fatLike;
};
constexpr FileSystem kFileSystems[] = {{"ordinary", false}, {"FAT-like", true}};

std::vector<std::string> SetCommand(const FileSystem& fileSystem,
                                    const std::vector<std::string>& photos) {
    std::vector<std::string> args = kPosition;
    args.insert(args.end(), photos.begin(), photos.end());
    if (fileSystem.fatLike) {
        return test::OnFatLikeFileSystem(args);
    }
    args.insert(args.begin(), GEOTAL_CLI_PATH);
    return args;
}

// The photo before and after the write, the latter made through the command itself.
struct Versions {
    std::string original;
    std::string updated;
};

Versions MakeVersions(const TempFolder& folder) {
    Versions versions;
    versions.original = ReadBytes(MakeDatedPhoto(folder / "original.jpg"));
    WriteBytes(folder / "reference.jpg", versions.original);
    std::vector<std::string> args = kPosition;
    args.push_back(folder / "reference.jpg");
    EXPECT_EQ(test::RunGeotalCli(folder.path(), args).status, 0);
    versions.updated = ReadBytes(folder / "reference.jpg");
    EXPECT_NE(versions.updated, versions.original);
    return versions;
}

// A fresh folder of copies of the original photo; returns their paths. The last has a name so
// long that its temporary names must be shortened.
std::vector<std::string> MakeRound(const TempFolder& folder, int round, int count,
                                   const Versions& versions) {
    const std::string dir = folder / ("round" + std::to_string(round));
    EXPECT_EQ(::mkdir(dir.c_str(), 0755), 0);
    std::vector<std::string> photos;
    for (int i = 0; i < count; ++i) {
        const std::string name = i + 1 < count ? "p" + std::to_string(i) : std::string(246, 'x');
        photos.push_back(dir + "/" + name + ".jpg");
        WriteBytes(photos.back(), versions.original);
    }
    return photos;
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

std::vector<std::string> NamesOf(const std::vector<std::string>& photos) {
    std::vector<std::string> names;
    for (const std::string& photo : photos) {
        names.push_back(photo.substr(photo.rfind('/') + 1));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Counts old and new photos; fails on anything else, a missing photo included.
void ExpectWhole(const std::vector<std::string>& photos, const Versions& versions,
                 const std::string& when, int& oldSeen, int& newSeen) {
    for (const std::string& photo : photos) {
        const std::string bytes = ReadBytes(photo);
        ASSERT_TRUE(bytes == versions.original || bytes == versions.updated)
            << when << ": " << photo << " holds " << bytes.size()
            << " bytes that are neither version";
        (bytes == versions.original ? oldSeen : newSeen) += 1;
    }
}

// A run after the killed one finishes or undoes what it left: every photo written, and nothing
// but the photos left in their folder.
void ExpectRerunFinishes(const TempFolder& folder, const FileSystem& fileSystem,
                         const std::vector<std::string>& photos, const Versions& versions,
                         const std::string& when) {
    const test::CliRun run = test::RunProgram(folder.path(), SetCommand(fileSystem, photos));
    EXPECT_EQ(run.status, 0) << when << ": " << run.err;
    for (const std::string& photo : photos) {
        EXPECT_TRUE(ReadBytes(photo) == versions.updated) << when << ": " << photo;
    }
    EXPECT_EQ(test::FolderNames(FolderOf(photos.front())), NamesOf(photos)) << when;
    std::filesystem::remove_all(FolderOf(photos.front()));
}

// strace's arguments that kill what follows them right before its n-th call of that name. -f:
// the flushes of a batch run on helper threads, and each is a kill point.
std::vector<std::string> KilledBeforeCall(const std::string& strace, const std::string& call,
                                          int n) {
    return {strace,
            "-f",
            "-qq",
            "-o",
            "/dev/null",
            "-e",
            "trace=" + call,
            "-e",
            "inject=" + call + ":signal=SIGKILL:when=" + std::to_string(n)};
}

// Kills a writer at every change it makes to the photo folder in turn: right after the k-th
// file made, written, renamed or removed there, for each k of a whole run and one past it.
TEST(SetCommand, leavesEveryPhotoWholeWhenKilledAtEachChangeItMakes) {
    constexpr int kPhotos = 6;
    TempFolder folder;
    const Versions versions = MakeVersions(folder);
    int round = 0;
    for (const FileSystem& fileSystem : kFileSystems) {
        int oldSeen = 0;
        int newSeen = 0;
        bool finished = false;
        for (int k = 1; !finished; ++k, ++round) {
            const std::vector<std::string> photos = MakeRound(folder, round, kPhotos, versions);
            const test::KillRound run =
                test::KillAtChange(SetCommand(fileSystem, photos), {FolderOf(photos.front())}, k);
            finished = !run.killed;
            const std::string when = std::string(fileSystem.name) + " change " + std::to_string(k);
            ExpectWhole(photos, versions, when, oldSeen, newSeen);
            ExpectRerunFinishes(folder, fileSystem, photos, versions, when);
            ASSERT_LT(k, 2000) << "a run of six photos makes far fewer changes";
        }
        EXPECT_GT(oldSeen, 0) << fileSystem.name;
        EXPECT_GT(newSeen, 0) << fileSystem.name;
    }
}

// Kills a writer that backs each photo up first, at each change it makes to the photo or the
// copy folder: a rerun with the same copy folder finishes, and the copy folder ends with one
// whole backup of each original and nothing else.
TEST(SetCommand, leavesNoPartialBackupAndARerunFinishesWhenKilledWithACopyFolder) {
    constexpr int kPhotos = 6;
    TempFolder folder;
    const Versions versions = MakeVersions(folder);
    int oldSeen = 0;
    int newSeen = 0;
    bool finished = false;
    for (int round = 0; !finished; ++round) {
        const std::vector<std::string> photos = MakeRound(folder, round, kPhotos, versions);
        const std::string copies = folder / ("copies" + std::to_string(round));
        ASSERT_EQ(::mkdir(copies.c_str(), 0755), 0);
        std::vector<std::string> args = SetCommand({"ordinary", false}, photos);
        args.insert(args.begin() + 2, {"--copy-to", copies});
        const test::KillRound run =
            test::KillAtChange(args, {FolderOf(photos.front()), copies}, round + 1);
        finished = !run.killed;
        const std::string when = "change " + std::to_string(round + 1);
        ExpectWhole(photos, versions, when, oldSeen, newSeen);

        const test::CliRun rerun = test::RunProgram(folder.path(), args);
        EXPECT_EQ(rerun.status, 0) << when << ": " << rerun.err;
        EXPECT_EQ(test::FolderNames(copies), NamesOf(photos)) << when;
        for (const std::string& photo : photos) {
            EXPECT_TRUE(ReadBytes(photo) == versions.updated) << when << ": " << photo;
            EXPECT_TRUE(ReadBytes(copies + photo.substr(photo.rfind('/'))) == versions.original)
                << when << ": the backup of " << photo;
        }
        EXPECT_EQ(test::FolderNames(FolderOf(photos.front())), NamesOf(photos)) << when;
        std::filesystem::remove_all(FolderOf(photos.front()));
        std::filesystem::remove_all(copies);
        ASSERT_LT(round, 2000) << "a run of six photos makes far fewer changes";
    }
    EXPECT_GT(oldSeen, 0);
    EXPECT_GT(newSeen, 0);
}

// Kills the writer right before the n-th call of each file system call it makes, for every n,
// through strace's fault injection: the instants between two calls, one by one.
TEST(SetCommand, leavesEveryPhotoWholeWhenKilledBeforeAnyFileSystemCall) {
    const std::string strace = "/usr/bin/strace";
    if (::access(strace.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "strace is not installed";
    }
    TempFolder folder;
    const Versions versions = MakeVersions(folder);
    int round = 0;
    for (const FileSystem& fileSystem : kFileSystems) {
        int oldSeen = 0;
        int newSeen = 0;
        for (const char* call : {"openat", "write", "fchmod", "fsync", "close", "link", "rename",
                                 "renameat2", "unlink"}) {
            for (int n = 1; n < 60; ++n, ++round) {
                const std::vector<std::string> photos = MakeRound(folder, round, 2, versions);
                std::vector<std::string> args = KilledBeforeCall(strace, call, n);
                if (fileSystem.fatLike) {
                    // Preloaded into the command only, not into strace itself.
                    args.insert(args.end(), {"-E", "LD_PRELOAD=" GEOTAL_FAT_SHIM_PATH});
                }
                const std::vector<std::string> command = SetCommand({"ordinary", false}, photos);
                args.insert(args.end(), command.begin(), command.end());
                const test::CliRun run = test::RunProgram(folder.path(), args);
                const std::string when =
                    std::string(fileSystem.name) + " " + call + " #" + std::to_string(n);
                ExpectWhole(photos, versions, when, oldSeen, newSeen);
                ExpectRerunFinishes(folder, fileSystem, photos, versions, when);
                if (run.status == 0) {
                    break;  // the run got past its last such call
                }
            }
        }
        EXPECT_GT(oldSeen, 20) << fileSystem.name;
        EXPECT_GT(newSeen, 20) << fileSystem.name;
    }
}

// How a sidecar lies when its write is killed: beside its photo, or behind a symbolic link to
// another folder (whose temporary file is made beside the target), each with and without a copy
// folder; and a sidecar that is not there yet, made under a copy folder.
struct SidecarLayout {
    const char* name;
    bool linked;
    bool copies;
    bool existing;
};
constexpr SidecarLayout kSidecarLayouts[] = {
    {"plain", false, false, true},
    {"linked", true, false, true},
    {"copied", false, true, true},
    {"linked and copied", true, true, true},
    {"made new and copied", false, true, false},
};

// A sidecar killed right before each file system call of its write holds its old or its new
// content; the next run removes the unfinished file the killed one left (beside the link's
// target for a link), and the copy folder then holds the sidecar as it was before the first run
// and nothing else: no copy of a sidecar a run made, nor of the killed run's new content.
TEST(SetCommand, leavesEverySidecarWholeAndARerunCleansUpWhenKilledBeforeAnyFileSystemCall) {
    GEOTAL_SKIP_WITHOUT(GEOTAL_REAL_RAW);
    const std::string strace = "/usr/bin/strace";
    if (::access(strace.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "strace is not installed";
    }
    TempFolder folder;
    const std::string original =
        ReadBytes(std::string(GEOTAL_REAL_RAW) + "/xmp/mei_digikam-example.xmp");
    int round = 0;
    for (const SidecarLayout& layout : kSidecarLayouts) {
        // The reference run: what the sidecar holds once written.
        const std::string reference = folder / ("reference" + std::to_string(round));
        ASSERT_EQ(::mkdir(reference.c_str(), 0755), 0);
        MakeDatedPhoto(reference + "/p.NEF");
        if (layout.existing) {
            WriteBytes(reference + "/p.xmp", original);
        }
        std::vector<std::string> args = kPosition;
        args.push_back(reference + "/p.NEF");
        ASSERT_EQ(test::RunGeotalCli(folder.path(), args).status, 0);
        const std::string updated = ReadBytes(reference + "/p.xmp");
        ASSERT_NE(updated, original);

        int oldSeen = 0;
        int leftovers = 0;
        for (const char* call : {"openat", "write", "fsync", "rename"}) {
            for (int n = 1; n < 40; ++n, ++round) {
                const std::string dir = folder / ("round" + std::to_string(round));
                const std::string store = dir + "/store";
                const std::string copies = dir + "/copies";
                ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
                ASSERT_EQ(::mkdir(store.c_str(), 0755), 0);
                ASSERT_EQ(::mkdir(copies.c_str(), 0755), 0);
                const std::string photo = MakeDatedPhoto(dir + "/p.NEF");
                const std::string sidecar = layout.linked ? store + "/p.xmp" : dir + "/p.xmp";
                if (layout.linked) {
                    ASSERT_EQ(::symlink(sidecar.c_str(), (dir + "/p.xmp").c_str()), 0);
                }
                if (layout.existing) {
                    WriteBytes(sidecar, original);
                }
                std::vector<std::string> command = kPosition;
                if (layout.copies) {
                    command.insert(command.begin() + 1, {"--copy-to", copies});
                }
                command.push_back(photo);
                std::vector<std::string> killed = KilledBeforeCall(strace, call, n);
                killed.push_back(GEOTAL_CLI_PATH);
                killed.insert(killed.end(), command.begin(), command.end());
                const test::CliRun run = test::RunProgram(folder.path(), killed);
                const std::string when =
                    std::string(layout.name) + ", " + call + " #" + std::to_string(n);
                const std::string held = ReadBytes(sidecar);
                ASSERT_TRUE(held == updated ||
                            (layout.existing ? held == original : !test::Exists(sidecar)))
                    << when;
                oldSeen += held == updated ? 0 : 1;
                for (const std::string& name : test::FolderNames(layout.linked ? store : dir)) {
                    leftovers += name.starts_with(".p.xmp.geotal-") ? 1 : 0;
                }

                const test::CliRun rerun = test::RunGeotalCli(folder.path(), command);
                EXPECT_EQ(rerun.status, 0) << when << ": " << rerun.err;
                EXPECT_EQ(ReadBytes(sidecar), updated) << when;
                EXPECT_EQ(test::FolderNames(dir),
                          (std::vector<std::string>{"copies", "p.NEF", "p.xmp", "store"}))
                    << when;
                if (layout.linked) {
                    EXPECT_EQ(test::FolderNames(store), std::vector<std::string>{"p.xmp"}) << when;
                }
                if (layout.copies && layout.existing) {
                    EXPECT_EQ(test::FolderNames(copies),
                              (std::vector<std::string>{"geotal-sidecars.txt", "p.xmp"}))
                        << when;
                    EXPECT_EQ(ReadBytes(copies + "/p.xmp"), original) << when;
                } else if (layout.copies) {
                    EXPECT_EQ(test::FolderNames(copies),
                              std::vector<std::string>{"geotal-sidecars.txt"})
                        << when;
                }
                std::filesystem::remove_all(dir);
                if (run.status == 0) {
                    break;  // the run got past its last such call
                }
            }
        }
        EXPECT_GT(oldSeen, 0) << layout.name;
        EXPECT_GT(leftovers, 0) << layout.name;  // a kill fell between creation and rename
    }
}

}  // namespace
}  // namespace geotal
