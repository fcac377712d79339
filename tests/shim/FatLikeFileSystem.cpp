// Preloaded into geotal-cli by tests: the process then meets the file system as on a FAT or
// exFAT memory card, where hard links are refused and permission bits and extended attributes
// are not kept.
#include <sys/types.h>

#include <cerrno>

extern "C" {

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
