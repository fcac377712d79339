#include "files/FileReplacement.h"

#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <gtest/gtest.h>

#include "files/ReplaceFile.h"
#include "support/TempFolder.h"

namespace geotal {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// Another program's change: a whole new file renamed over the name, as editors save.
void ReplacedByAnotherProgram(const test::TempFolder& folder, const std::string& name,
                              const std::string& bytes) {
    const std::string theirs = folder.Write("their-save.tmp", bytes);
    ASSERT_EQ(std::rename(theirs.c_str(), (folder / name).c_str()), 0);
}

bool IsValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead & 0xC0) == 0x80 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// Between the read and the rename another program replaces, changes or removes the target, or
// makes one where none was: its file wins, ours goes, and nothing else is left.
TEST(PutNewContents, refusesATargetThatChangedAfterItWasReadAndLosesNothing) {
    const struct {
        const char* what;
        bool existed;
        void (*change)(const test::TempFolder&);
        const char* left;  // the target's content afterwards; null when there is none
    } cases[] = {
        {"replaced", true,
         [](const test::TempFolder& f) { ReplacedByAnotherProgram(f, "a.txt", "theirs"); },
         "theirs"},
        {"written in place, same size", true,
         [](const test::TempFolder& f) {
             std::ofstream(f / "a.txt", std::ios::binary | std::ios::in) << "OLD";
         },
         "OLD"},
        {"removed", true, [](const test::TempFolder& f) { std::filesystem::remove(f / "a.txt"); },
         nullptr},
        {"made where none was", false,
         [](const test::TempFolder& f) { f.Write("a.txt", "theirs"); }, "theirs"},
    };
    for (const auto& c : cases) {
        test::TempFolder folder;
        PutOptions options;
        if (c.existed) {
            folder.Write("a.txt", "old");
            options.expected = IdentityOf(folder / "a.txt");
            ASSERT_TRUE(options.expected) << c.what;
        }
        // Past the clock's resolution, so that an in-place write shows in the times.
        ::usleep(20000);
        c.change(folder);
        int flushes = 0;
        options.flushFolder = [&](const std::string&) { return ++flushes > 0; };

        const PutOutcome put = PutNewContents(folder / "a.txt", "new", options);
        EXPECT_EQ(put.result, PutResult::TargetChanged) << c.what;
        EXPECT_EQ(flushes, 0) << c.what;
        if (c.left != nullptr) {
            EXPECT_EQ(ReadFile(folder / "a.txt"), c.left) << c.what;
            EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"a.txt"}) << c.what;
        } else {
            EXPECT_TRUE(Entries(folder.path()).empty()) << c.what << ": not made anew";
        }
    }
}

// Another program put its own file under the new name: neither renamed over the target nor
// removed, as it is that program's.
TEST(SwapIn, leavesANewNameThatAnotherProgramTookOver) {
    test::TempFolder folder;
    const std::string target = folder.Write("photo.jpg", "old");
    NewFile file;
    ASSERT_TRUE(file.Create(folder / "photo_new.jpg", 0600));
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_TRUE(file.Finish(Flush::Later));
    file.Keep();
    ReplacedByAnotherProgram(folder, "photo_new.jpg", "their file");

    EXPECT_EQ(SwapIn(file.name(), file.identity(), target, IdentityOf(target)),
              SwapResult::NewFileTaken);
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(ReadFile(folder / "photo_new.jpg"), "their file");
    EXPECT_FALSE(RemoveIfOurs(folder / "photo_new.jpg", file.identity()));
    EXPECT_EQ(ReadFile(folder / "photo_new.jpg"), "their file");
}

// A new file abandoned on a failure is removed, but only while its name still holds it.
TEST(NewFile, removesItselfUnlessKeptAndNeverAnotherProgramsFile) {
    test::TempFolder folder;
    {
        NewFile file;
        ASSERT_TRUE(file.CreateBeside(folder / "a.txt", 0600));
        ASSERT_TRUE(file.Write("half", 4));
    }
    {
        NewFile file;
        ASSERT_TRUE(file.Create(folder / "b.txt", 0600));
        ASSERT_TRUE(file.Finish(Flush::Now));
    }
    EXPECT_TRUE(Entries(folder.path()).empty());
    {
        NewFile file;
        ASSERT_TRUE(file.Create(folder / "c.txt", 0600));
        ReplacedByAnotherProgram(folder, "c.txt", "theirs");
    }
    {
        NewFile file;
        ASSERT_TRUE(file.Create(folder / "d.txt", 0600));
        file.Keep();
    }
    EXPECT_EQ(Entries(folder.path()), (std::set<std::string>{"c.txt", "d.txt"}));
    EXPECT_EQ(ReadFile(folder / "c.txt"), "theirs");

    NewFile again;
    EXPECT_FALSE(again.Create(folder / "d.txt", 0600)) << "never opens an existing file";
    EXPECT_EQ(errno, EEXIST);
    ASSERT_EQ(::symlink("nowhere", (folder / "e.txt").c_str()), 0);
    EXPECT_FALSE(again.Create(folder / "e.txt", 0600)) << "nor follows a link to make one";
    EXPECT_FALSE(std::filesystem::exists(folder / "nowhere"));
}

// Every failure before the rename leaves the target as it was and nothing beside it.
TEST(PutNewContents, leavesNoFileOfItsOwnWhenItFails) {
    test::TempFolder folder;
    std::filesystem::create_directories(folder / "dir/inside");
    PutOptions options;
    options.expected = IdentityOf(folder / "dir");
    EXPECT_EQ(PutNewContents(folder / "dir", "new", options).result, PutResult::NotRenamed);
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"dir"});

    // A write the system cuts short: a file size limit stands in for a full disk.
    const std::string target = folder.Write("a.txt", "old");
    options.expected = IdentityOf(target);
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const PutOutcome put = PutNewContents(target, std::string(1000, 'x'), options);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(put.result, PutResult::Failed);
    EXPECT_EQ(put.code, EFBIG);
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(Entries(folder.path()), (std::set<std::string>{"a.txt", "dir"}));

    EXPECT_EQ(PutNewContents(folder / "missing/a.txt", "new", {}).result, PutResult::NotCreated);
}

// Names up to NAME_MAX bytes are valid; the name beside one must fit too, and a cut must not
// leave half a character that some file systems refuse.
TEST(UniqueNameBeside, fitsAFolderEntryBesideNamesOfEveryLengthAndKeepsCharactersWhole) {
    for (const std::string unit : {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x93\xB7"}) {
        for (std::size_t length = 1; length <= NAME_MAX; ++length) {
            std::string name;
            while (name.size() + unit.size() <= length) {
                name += unit;
            }
            const std::string beside = UniqueNameBeside("/some/folder/" + name, 12);
            ASSERT_EQ(beside.rfind("/some/folder/.", 0), 0u) << beside;
            const std::string entry = beside.substr(beside.rfind('/') + 1);
            EXPECT_LE(entry.size(), static_cast<std::size_t>(NAME_MAX)) << name.size();
            EXPECT_TRUE(IsValidUtf8(entry)) << name.size();
            EXPECT_TRUE(IsUniqueNameOfOurs(entry)) << entry;
            EXPECT_NE(UniqueNameBeside(name, 13), UniqueNameBeside(name, 12));
        }
    }
}

TEST(PutNewContents, replacesAFileOf250BytesOfName) {
    std::string name;
    while (name.size() < 246) {
        name += "\xC3\xA9";
    }
    name += ".csv";
    ASSERT_EQ(name.size(), 250u);
    test::TempFolder folder;
    const std::string target = folder.Write(name, "old");
    PutOptions options;
    options.expected = IdentityOf(target);
    EXPECT_EQ(PutNewContents(target, "new", options).result, PutResult::Done);
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{name});
}

// Only our own leftovers may be cleared from a folder: a user's file of a similar name stays.
TEST(IsUniqueNameOfOurs, tellsOurLeftoversFromTheUsersFiles) {
    for (const char* ours : {".IMG_1.JPG.geotal-123-0", ".a.geotal-1-99", ".geotal-Ab12Cd"}) {
        EXPECT_TRUE(IsUniqueNameOfOurs(ours)) << ours;
    }
    for (const char* theirs :
         {"IMG_1.JPG.geotal-123-0", ".IMG_1.JPG.geotal-123-", ".IMG_1.JPG.geotal--0",
          ".IMG_1.JPG.geotal-12x-0", ".geotal-settings", ".geotal-12-3", "IMG_1.JPG",
          ".x.geotal-1-2.jpg", ".geotal-Ab12C"}) {
        EXPECT_FALSE(IsUniqueNameOfOurs(theirs)) << theirs;
    }
}

// A sidecar's cleanup removes the leftovers of that sidecar alone.
TEST(IsUniqueNameBeside, tellsTheLeftoversOfOneFileFromThoseOfAnother) {
    EXPECT_TRUE(IsUniqueNameBeside(".IMG_4.xmp.geotal-4242-0", "IMG_4.xmp"));
    EXPECT_FALSE(IsUniqueNameBeside(".IMG_40.xmp.geotal-4242-0", "IMG_4.xmp"));
    EXPECT_FALSE(IsUniqueNameBeside(".IMG_4.xmp.geotal-4242-0", "IMG_40.xmp"));
    EXPECT_FALSE(IsUniqueNameBeside(".IMG_4.xmp.geotal-4242-x", "IMG_4.xmp"));
    EXPECT_FALSE(IsUniqueNameBeside(".geotal-Ab12Cd", "IMG_4.xmp"));
    // A name too long for the marker is cut, and still known.
    const std::string longName = std::string(250, 'n') + ".xmp";
    const std::string cut = UniqueNameBeside(longName, 3);
    EXPECT_TRUE(IsUniqueNameBeside(cut, longName)) << cut;
    EXPECT_FALSE(IsUniqueNameBeside(cut, std::string(250, 'm') + ".xmp"));
}

// Read, edit, replace: what another program wrote after the read is never undone, and a file it
// made where none was read is never overwritten.
TEST(ReplaceFileContents, refusesAFileNoLongerAsItWasRead) {
    test::TempFolder folder;
    const std::string path = folder.Write("a.xmp", "as read");
    std::string bytes;
    ReadState read;
    ASSERT_TRUE(ReadForReplacement(path, bytes, read));
    EXPECT_EQ(bytes, "as read");
    ASSERT_TRUE(read.identity.has_value());
    ReplacedByAnotherProgram(folder, "a.xmp", "their keywords");
    std::string error;
    EXPECT_FALSE(ReplaceFileContents(path, "ours", error, nullptr, read));
    EXPECT_NE(error.find("another program"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(path), "their keywords");

    const std::string absent = folder / "b.xmp";
    ASSERT_TRUE(ReadForReplacement(absent, bytes, read));
    EXPECT_FALSE(read.identity.has_value());
    folder.Write("b.xmp", "made meanwhile");
    EXPECT_FALSE(ReplaceFileContents(absent, "ours", error, nullptr, read));
    EXPECT_EQ(ReadFile(absent), "made meanwhile");

    // Unchanged since the read, it is replaced.
    ASSERT_TRUE(ReadForReplacement(path, bytes, read));
    EXPECT_TRUE(ReplaceFileContents(path, "ours", error, nullptr, read)) << error;
    EXPECT_EQ(ReadFile(path), "ours");
    EXPECT_EQ(Entries(folder.path()), (std::set<std::string>{"a.xmp", "b.xmp"}));
}

// Without the folder's flush a power cut can undo the rename after success was claimed.
TEST(PutNewContents, flushesTheTargetsFolderAfterTheRenameAndSaysWhenThatFails) {
    test::TempFolder folder;
    const std::string target = folder.Write("a.txt", "old");
    std::vector<std::string> seen;
    PutOptions options;
    options.flushFolder = [&](const std::string& at) {
        seen.push_back(at + " holds " + ReadFile(target));
        errno = EIO;
        return false;
    };
    options.expected = IdentityOf(target);
    const PutOutcome put = PutNewContents(target, "new", options);
    EXPECT_EQ(put.result, PutResult::NotFlushed);
    EXPECT_EQ(put.code, EIO);
    EXPECT_EQ(seen, std::vector<std::string>{folder.path() + " holds new"});

    // Each folder once; every one tried though an earlier one failed, the first error kept.
    std::vector<std::string> flushed;
    const bool all = FlushFolders({"b", "a", "b", "c"}, [&](const std::string& at) {
        flushed.push_back(at);
        errno = at == "a" ? EIO : at == "c" ? ENOSPC : 0;
        return at == "b";
    });
    EXPECT_FALSE(all);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(flushed, (std::vector<std::string>{"a", "b", "c"}));
}

// The new file's bits are the ones asked for, not the umask's: a shared file stays shared and a
// private one private.
TEST(PutNewContents, givesTheNewFileThePermissionBitsAskedForWhateverTheUmask) {
    test::TempFolder folder;
    const mode_t oldMask = ::umask(077);
    const std::string shared = folder.Write("shared.txt", "old");
    PutOptions options;
    options.expected = IdentityOf(shared);
    options.mode = 0664;
    const PutResult sharedResult = PutNewContents(shared, "new", options).result;
    options.expected.reset();
    options.mode = 0600;
    ::umask(0);
    const PutResult privateResult = PutNewContents(folder / "private.txt", "new", options).result;
    options.mode.reset();
    ::umask(027);
    const PutResult plainResult = PutNewContents(folder / "plain.txt", "new", options).result;
    ::umask(oldMask);
    EXPECT_EQ(sharedResult, PutResult::Done);
    EXPECT_EQ(privateResult, PutResult::Done);
    EXPECT_EQ(plainResult, PutResult::Done);
    EXPECT_EQ(ModeOf(shared), 0664u);
    EXPECT_EQ(ModeOf(folder / "private.txt"), 0600u);
    EXPECT_EQ(ModeOf(folder / "plain.txt"), 0640u) << "no bits asked for: the umask decides";
}

}  // namespace
}  // namespace geotal
