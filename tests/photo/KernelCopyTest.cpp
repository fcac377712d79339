// A new file's unchanged tail copied by the kernel from the photo it was read from: the same
// bytes as written from memory, and written from memory wherever the kernel cannot copy them or
// the photo is no longer the file that was read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "files/FileIdentity.h"
#include "files/FileReplacement.h"
#include "metadata/PhotoFixture.h"
#include "photo/PhotoWriter.h"
#include "support/FileDescriptor.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// Sets the process's way for one test and puts the usual one back.
class KernelCopyWay {
public:
    explicit KernelCopyWay(KernelCopy way) { SetKernelCopy(way); }
    ~KernelCopyWay() { SetKernelCopy(KernelCopy::WhereItPays); }
    KernelCopyWay(const KernelCopyWay&) = delete;
    KernelCopyWay& operator=(const KernelCopyWay&) = delete;
};

FileIdentity IdentityOfOpen(int fd) {
    struct stat status {};
    EXPECT_EQ(::fstat(fd, &status), 0);
    return {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
}

// The new file made of head and, for its tail, what the caller says source holds at offset:
// here on purpose not what source holds, so that the new file shows which way its tail came.
std::string NewFileOf(const std::string& path, int source, const FileIdentity& asRead, off_t offset,
                      const std::string& tail) {
    NewFile file;
    EXPECT_TRUE(file.Create(path, 0600));
    EXPECT_TRUE(file.Write("head:", 5));
    EXPECT_TRUE(file.CopyFrom(source, asRead, offset, tail));
    EXPECT_TRUE(file.Finish(Flush::Later));
    file.Keep();
    return ReadBytes(path);
}

TEST(NewFile, copiesATailByTheKernelWhereItCanAndFromMemoryWhereItCannotOrIsNotToldTo) {
    TempFolder folder;
    const std::string source = folder.Write("source", std::string(70000, 's') + "0123456789");
    const FileDescriptor fd(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    const FileIdentity asRead = IdentityOfOpen(fd.get());
    {
        const KernelCopyWay way(KernelCopy::Always);
        EXPECT_EQ(NewFileOf(folder / "kernel", fd.get(), asRead, 70000, "MEMORY-BYT"),
                  "head:0123456789");
        // Lying alike in both files, the bytes up to the next block boundary come from memory
        // and the whole blocks after it from the source, for a file system to share.
        struct stat status {};
        ASSERT_EQ(::stat(folder.path().c_str(), &status), 0);
        const std::size_t block = static_cast<std::size_t>(status.st_blksize);
        ASSERT_LT(block, 70000u);
        const std::string whole = ReadBytes(source);
        EXPECT_EQ(NewFileOf(folder / "blocks", fd.get(), asRead, 5, std::string(70005, 'm')),
                  "head:" + std::string(block - 5, 'm') + whole.substr(block));
        // Past the source's end, what is missing comes from memory.
        EXPECT_EQ(NewFileOf(folder / "short", fd.get(), asRead, 70005, "MEMORY-BYT"),
                  "head:56789Y-BYT");
    }
    {
        const KernelCopyWay way(KernelCopy::Never);
        EXPECT_EQ(NewFileOf(folder / "memory", fd.get(), asRead, 70000, "MEMORY-BYT"),
                  "head:MEMORY-BYT");
    }
    // A pipe, which the kernel does not copy from: EINVAL, and the bytes from memory.
    const KernelCopyWay way(KernelCopy::Always);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const FileDescriptor in(ends[0]);
    const FileDescriptor out(ends[1]);
    ASSERT_EQ(::write(out.get(), "pipe-bytes", 10), 10);
    EXPECT_EQ(NewFileOf(folder / "pipe", in.get(), IdentityOfOpen(in.get()), 0, "MEMORY-BYT"),
              "head:MEMORY-BYT");
}

TEST(NewFile, writesATailFromMemoryWhenTheSourceIsNoLongerAsRead) {
    TempFolder folder;
    const std::string source = folder.Write("source", std::string(8192, 's'));
    const FileDescriptor fd(::open(source.c_str(), O_RDWR | O_CLOEXEC));
    // An old time, so that the change below shows whatever the clock's resolution.
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::futimens(fd.get(), old), 0);
    const FileIdentity asRead = IdentityOfOpen(fd.get());
    ASSERT_EQ(::pwrite(fd.get(), "changed", 7, 100), 7);
    const KernelCopyWay way(KernelCopy::Always);
    EXPECT_EQ(NewFileOf(folder / "new", fd.get(), asRead, 100, "as-read"), "head:as-read");
}

// Every real photo written once with its image data from memory and once copied by the kernel:
// the same bytes, a first position and a second one over it.
TEST(PutFileLongLat, writesTheSameBytesWhetherTheKernelCopiesTheImageDataOrNot) {
    const fs::path photos = GEOTAL_REAL_PHOTOS;
    GEOTAL_SKIP_WITHOUT(photos);
    TempFolder folder;
    int compared = 0;
    for (const char* name :
         {"es_Canon_40D.jpg", "es_Nikon_D70.jpg", "es_DSCN0010.jpg", "es_iphone_hdr_YES.jpg",
          "es_45-gps_ifd.jpg", "es_Pentax_K10D.jpg", "es_Sony_HDR-HC3.jpg", "es_jolla.jpg"}) {
        if (!fs::exists(photos / name)) {
            continue;
        }
        const std::string memory = folder / (std::string("memory-") + name);
        const std::string kernel = folder / (std::string("kernel-") + name);
        fs::copy_file(photos / name, memory);
        fs::copy_file(photos / name, kernel);
        for (const GeoPosition& position : {GeoPosition{47.5 * 3600, 7.25 * 3600, 512.0, {}},
                                            GeoPosition{-33.75 * 3600, -151.125 * 3600, {}, {}}}) {
            {
                const KernelCopyWay way(KernelCopy::Never);
                ASSERT_EQ(PhotoWriter().PutFileLongLat(memory, position).result,
                          WriteResult::Written)
                    << name;
            }
            const KernelCopyWay way(KernelCopy::Always);
            ASSERT_EQ(PhotoWriter().PutFileLongLat(kernel, position).result, WriteResult::Written)
                << name;
            EXPECT_EQ(ReadBytes(kernel), ReadBytes(memory)) << name;
            EXPECT_NE(ReadBytes(kernel), ReadBytes(photos / name)) << name;
        }
        ++compared;
    }
    EXPECT_GE(compared, 6);
}

}  // namespace
}  // namespace geotal
