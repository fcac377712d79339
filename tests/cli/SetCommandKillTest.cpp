#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "photo/PhotoFixture.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const std::vector<std::string> kPosition = {"set", "47.51", "8.25", "--altitude", "420"};

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

// A fresh folder of copies of the original photo; returns their paths.
std::vector<std::string> MakeRound(const TempFolder& folder, int round, int count,
                                   const Versions& versions) {
    const std::string dir = folder / ("round" + std::to_string(round));
    EXPECT_EQ(::mkdir(dir.c_str(), 0755), 0);
    std::vector<std::string> photos;
    for (int i = 0; i < count; ++i) {
        photos.push_back(dir + "/p" + std::to_string(i) + ".jpg");
        WriteBytes(photos.back(), versions.original);
    }
    return photos;
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
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
    std::filesystem::remove_all(FolderOf(photos.front()));
}

// Kills a writer at random instants of its run.
TEST(SetCommand, leavesEveryPhotoWholeWhenKilledAtAnyInstant) {
    using Clock = std::chrono::steady_clock;
    constexpr int kPhotos = 6;
    TempFolder folder;
    const Clock::time_point start = Clock::now();
    const Versions versions = MakeVersions(folder);
    const auto oneWrite =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);

    // Delays from 0 to a little past a whole run of all photos.
    std::mt19937 random(12345);
    std::uniform_int_distribution<long> delay(0, oneWrite.count() * (kPhotos + 2) / 2);
    int oldSeen = 0;
    int newSeen = 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
    for (int round = 0; round < 400 && Clock::now() < deadline; ++round) {
        const std::vector<std::string> photos = MakeRound(folder, round, kPhotos, versions);
        std::vector<std::string> args = kPosition;
        args.insert(args.end(), photos.begin(), photos.end());
        const int pid = test::StartGeotalCli(args);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ExpectWhole(photos, versions, "round " + std::to_string(round), oldSeen, newSeen);
    }
    // The kills must have landed both before and after some writes for the test to mean much.
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
    int oldSeen = 0;
    int newSeen = 0;
    int round = 0;
    for (const char* call :
         {"openat", "write", "fchmod", "fsync", "close", "link", "rename", "renameat2", "unlink"}) {
        for (int n = 1; n < 40; ++n, ++round) {
            const std::vector<std::string> photos = MakeRound(folder, round, 2, versions);
            const std::string name = call;
            std::vector<std::string> args = {
                strace,         "-qq",
                "-o",           "/dev/null",
                "-e",           "trace=" + name,
                "-e",           "inject=" + name + ":signal=SIGKILL:when=" + std::to_string(n),
                GEOTAL_CLI_PATH};
            args.insert(args.end(), kPosition.begin(), kPosition.end());
            args.insert(args.end(), photos.begin(), photos.end());
            const test::CliRun run = test::RunProgram(folder.path(), args);
            ExpectWhole(photos, versions, std::string(call) + " #" + std::to_string(n), oldSeen,
                        newSeen);
            if (run.status == 0) {
                break;  // the run got past its last such call
            }
        }
    }
    EXPECT_GT(oldSeen, 20);
    EXPECT_GT(newSeen, 20);
}

}  // namespace
}  // namespace geotal
