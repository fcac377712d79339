// Preloaded into geotal-cli by tests: every file the process maps is cut to nothing right after
// it is mapped, as another program rewriting it would. A process that then reads the mapping
// dies of SIGBUS; one that read the file into memory instead sees a short or an unchanged file.
#include <dlfcn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

using Map = void*(void*, size_t, int, int, int, off_t);

void CutShort(int fd) {
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        return;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[4096];
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length > 0) {
        path[length] = '\0';
        ::truncate(path, 0);
    }
}

}  // namespace

extern "C" void* mmap(void* address, size_t length, int protection, int flags, int fd,
                      off_t offset) {
    static auto* real = reinterpret_cast<Map*>(::dlsym(RTLD_NEXT, "mmap"));
    void* mapped = real(address, length, protection, flags, fd, offset);
    if (mapped != MAP_FAILED) {
        CutShort(fd);
    }
    return mapped;
}

extern "C" void* mmap64(void* address, size_t length, int protection, int flags, int fd,
                        off_t offset) {
    return mmap(address, length, protection, flags, fd, offset);
}
