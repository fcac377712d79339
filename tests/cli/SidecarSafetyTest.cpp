// A sidecar gets the care its photo gets: the same refusals for files the user may not change,
// the owner and attributes kept, no rewrite in place, and no sidecar for what is not a photo.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "metadata/PhotoFixture.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

constexpr uid_t kNobody = 65534;

const std::string kSidecar =
    "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
    "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description rdf:about='' "
    "xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmp:Rating='3'/></rdf:RDF></x:xmpmeta>";

// What the system says of a file after a run: its owner, mode, extended attributes and ACL.
struct FileState {
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    std::map<std::string, std::string> attributes;

    friend bool operator==(const FileState&, const FileState&) = default;
};

FileState StateOf(const std::string& path) {
    FileState state;
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    state.owner = status.st_uid;
    state.group = status.st_gid;
    state.mode = status.st_mode & 07777;
    char names[4096];
    const ssize_t size = ::listxattr(path.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        char value[4096];
        const ssize_t length = ::getxattr(path.c_str(), names + at, value, sizeof value);
        state.attributes[names + at] = std::string(value, length > 0 ? length : 0);
    }
    return state;
}

struct Arrangement {
    const char* name;
    uid_t owner;
    mode_t mode;
    bool attributes;      // a user attribute and an ACL entry
    bool folderWritable;  // the folder takes new files from the user running the command
};

// The same setup for a JPEG written in itself and for a RAW file's sidecar, written by another
// user: the sidecar's outcome must be the JPEG's, written or refused, and the file must end as
// the JPEG does, its owner, mode, attributes and ACL kept.
TEST(SetCommand, treatsASidecarAsItsPhotoWhateverItsOwnerModeAndAttributes) {
    if (::geteuid() != 0 || ::access(test::kSetpriv, X_OK) != 0 ||
        std::system("command -v setfacl >/dev/null") != 0) {
        GTEST_SKIP() << "only root can run the command as another user (with setpriv and setfacl)";
    }
    const Arrangement arrangements[] = {
        {"own, with attributes", kNobody, 0640, true, true},
        {"read-only", kNobody, 0444, false, true},
        {"another user's", 0, 0644, false, true},
        {"another user's, writable", 0, 0666, false, true},
        {"own, in a folder taking no new file", kNobody, 0644, false, false},
    };
    for (const Arrangement& setup : arrangements) {
        TempFolder folder;
        ASSERT_EQ(::chmod(folder.path().c_str(), setup.folderWritable ? 0777 : 0755), 0);
        const std::string jpeg = MakeDatedPhoto(folder / "a.jpg");
        const std::string raw = MakeDatedPhoto(folder / "b.nef");
        const std::string sidecar = folder / "b.xmp";
        WriteBytes(sidecar, kSidecar);
        for (const std::string& file : {jpeg, sidecar}) {
            ASSERT_EQ(::chown(file.c_str(), setup.owner, setup.owner), 0);
            ASSERT_EQ(::chmod(file.c_str(), setup.mode), 0);
            if (setup.attributes) {
                ASSERT_EQ(::setxattr(file.c_str(), "user.album", "Alps", 4, 0), 0);
                ASSERT_EQ(std::system(("setfacl -m u:root:rw '" + file + "'").c_str()), 0);
            }
        }
        const FileState jpegBefore = StateOf(jpeg);
        const FileState sidecarBefore = StateOf(sidecar);
        const std::string sidecarBytes = ReadBytes(sidecar);
        TempFolder output;
        ASSERT_EQ(::chmod(output.path().c_str(), 0777), 0);
        const test::CliRun run =
            test::RunGeotalCliAs(kNobody, output.path(), {"set", "47.51", "8.25", jpeg, raw});
        const bool jpegWritten = TagText(jpeg, "Exif.GPSInfo.GPSLatitudeRef") == "N";
        const bool sidecarWritten = ReadBytes(sidecar) != sidecarBytes;
        EXPECT_EQ(sidecarWritten, jpegWritten) << setup.name << "\n" << run.err;
        EXPECT_EQ(StateOf(jpeg), jpegBefore) << setup.name;
        EXPECT_EQ(StateOf(sidecar), sidecarBefore) << setup.name;
        if (!sidecarWritten) {
            EXPECT_NE(run.err.find("b.nef"), std::string::npos) << setup.name << "\n" << run.err;
            EXPECT_EQ(run.status, 1) << setup.name;
        }
        EXPECT_EQ(test::FolderNames(folder.path()),
                  (std::vector<std::string>{"a.jpg", "b.nef", "b.xmp"}))
            << setup.name;
    }
}

// Only a regular file that is there gets a position: a folder, a pipe, a device, the kernel's
// files, a link that loops and a name that names nothing each give an error with the reason.
TEST(SetCommand, writesNoSidecarForWhatIsNotAPhotoFile) {
    TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "dir.nef").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo((folder / "pipe.nef").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", (folder / "zero.nef").c_str()), 0);
    ASSERT_EQ(::symlink("/proc/self/mem", (folder / "mem.nef").c_str()), 0);
    ASSERT_EQ(::symlink("loop.nef", (folder / "loop.nef").c_str()), 0);
    MakeDatedPhoto(folder / "real.nef");
    const std::map<std::string, std::string> reasons = {
        {"dir.nef", "Is a directory"},
        {"pipe.nef", "not a regular file"},
        {"zero.nef", "not a regular file"},
        {"mem.nef", "an empty file"},
        {"loop.nef", "Too many levels of symbolic links"},
        {"missing.nef", "No such file or directory"},
    };
    std::vector<std::string> args = {"set", "47.51", "8.25"};
    for (const auto& [name, reason] : reasons) {
        args.push_back(folder / name);
    }
    args.push_back(folder / "real.nef");
    const test::CliRun run = test::RunGeotalCli(folder.path(), args);
    EXPECT_EQ(run.status, 1) << run.err;
    for (const auto& [name, reason] : reasons) {
        EXPECT_NE(run.err.find(folder / name + " (" + reason), std::string::npos) << name << "\n"
                                                                                  << run.err;
    }
    EXPECT_EQ(test::FolderNames(folder.path()),
              (std::vector<std::string>{"cli.err", "cli.out", "dir.nef", "loop.nef", "mem.nef",
                                        "pipe.nef", "real.nef", "real.xmp", "zero.nef"}));
}

}  // namespace
}  // namespace geotal
