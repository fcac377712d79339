#include "cli/KillAtChange.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>

#include "cli/CliRunner.h"

namespace geotal::test {

KillRound KillAtChange(const std::vector<std::string>& argv,
                       const std::vector<std::string>& folders, int k) {
    KillRound round;
    const int watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watcher < 0) {
        return round;
    }
    for (const std::string& folder : folders) {
        ::inotify_add_watch(
            watcher, folder.c_str(),
            IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE);
    }
    const int pid = StartProgram(argv);
    int status = 0;
    bool ended = false;
    while (!ended) {
        pollfd ready{watcher, POLLIN, 0};
        ::poll(&ready, 1, 5);
        alignas(inotify_event) char events[4096];
        for (ssize_t got; (got = ::read(watcher, events, sizeof events)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (++round.changes == k && !round.killed) {
                    ::kill(pid, SIGKILL);
                    round.killed = true;
                }
            }
        }
        ended = ::waitpid(pid, &status, round.killed ? 0 : WNOHANG) == pid;
    }
    ::close(watcher);
    return round;
}

}  // namespace geotal::test
