// Descriptors handed to another thread to close: every one is closed, by the time it is
// drained or destroyed, however many are handed over at once.
#include "support/CloseLater.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include <gtest/gtest.h>

namespace geotal {
namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

std::vector<int> OpenMany(int count) {
    std::vector<int> fds;
    for (int i = 0; i < count; ++i) {
        fds.push_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        EXPECT_GE(fds.back(), 0);
    }
    return fds;
}

TEST(CloseLater, closesEveryDescriptorItTookByTheTimeItIsDrained) {
    CloseLater closer;
    // More than may wait at once, so that handing them over also waits.
    const std::vector<int> fds = OpenMany(300);
    for (int fd : fds) {
        closer.Close(fd);
    }
    closer.Drain();
    for (int fd : fds) {
        EXPECT_FALSE(IsOpen(fd)) << fd;
    }
    // And goes on taking them after a drain.
    const std::vector<int> more = OpenMany(3);
    for (int fd : more) {
        closer.Close(fd);
    }
    closer.Drain();
    for (int fd : more) {
        EXPECT_FALSE(IsOpen(fd)) << fd;
    }
}

TEST(CloseLater, closesWhatIsLeftWhenDestroyedAndIgnoresNoDescriptor) {
    std::vector<int> fds = OpenMany(100);
    {
        CloseLater closer;
        closer.Close(-1);
        for (int fd : fds) {
            closer.Close(fd);
        }
    }
    for (int fd : fds) {
        EXPECT_FALSE(IsOpen(fd)) << fd;
    }
    CloseLater unused;
    unused.Drain();  // nothing taken: returns at once
}

}  // namespace
}  // namespace geotal
