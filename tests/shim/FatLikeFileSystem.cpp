// Preloaded into geotal-cli by tests: the process then meets the file system as on a FAT or
// exFAT memory card, where hard links are refused, permission bits and extended attributes are
// not kept, and names are found whatever their case (ASCII letters here): a name that does not
// exist as spelt names the entry that differs from it in case alone, if there is one.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdarg>
#include <string>

namespace {

template <typename Function>
Function* Next(const char* name) {
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

// The entry a case-blind file system would find for path.
std::string Folded(const char* path) {
    static auto* realLstat = Next<int(const char*, struct stat*)>("lstat");
    struct stat status {};
    const int saved = errno;
    if (path == nullptr || realLstat(path, &status) == 0 || errno != ENOENT) {
        errno = saved;
        return path == nullptr ? std::string() : path;
    }
    const std::string whole(path);
    const std::size_t slash = whole.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : whole.substr(0, slash));
    const std::string name = slash == std::string::npos ? whole : whole.substr(slash + 1);
    std::string found = whole;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
                found = whole.substr(0, slash == std::string::npos ? 0 : slash + 1) + entry->d_name;
                break;
            }
        }
        ::closedir(dir);
    }
    errno = saved;
    return found;
}

mode_t ModeOf(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    static auto* next = Next<int(const char*, int, ...)>("open");
    return next(Folded(path).c_str(), flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    static auto* next = Next<int(const char*, int, ...)>("open64");
    return next(Folded(path).c_str(), flags, mode);
}

int stat(const char* path, struct stat* status) {
    static auto* next = Next<int(const char*, struct stat*)>("stat");
    return next(Folded(path).c_str(), status);
}

int lstat(const char* path, struct stat* status) {
    static auto* next = Next<int(const char*, struct stat*)>("lstat");
    return next(Folded(path).c_str(), status);
}

int unlink(const char* path) {
    static auto* next = Next<int(const char*)>("unlink");
    return next(Folded(path).c_str());
}

int rename(const char* from, const char* to) {
    static auto* next = Next<int(const char*, const char*)>("rename");
    return next(Folded(from).c_str(), Folded(to).c_str());
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) {
    static auto* next = Next<int(int, const char*, int, const char*, unsigned)>("renameat2");
    return next(fromFolder, Folded(from).c_str(), toFolder, Folded(to).c_str(), flags);
}

int link(const char*, const char*) {
    errno = EPERM;
    return -1;
}

int linkat(int, const char*, int, const char*, int) {
    errno = EPERM;
    return -1;
}

int fchmod(int, mode_t) {
    errno = EOPNOTSUPP;
    return -1;
}

int fchmodat(int, const char*, mode_t, int) {
    errno = EOPNOTSUPP;
    return -1;
}

int chmod(const char*, mode_t) {
    errno = EOPNOTSUPP;
    return -1;
}

ssize_t flistxattr(int, char*, size_t) {
    errno = EOPNOTSUPP;
    return -1;
}

int fsetxattr(int, const char*, const void*, size_t, int) {
    errno = EOPNOTSUPP;
    return -1;
}

}  // extern "C"
