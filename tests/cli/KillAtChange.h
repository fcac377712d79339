// Killing a program at a moment the test sees, not after a sleep: once it has made its k-th
// change in the folders watched, so that every round of a kill test means the same on a fast
// machine and a slow one.
#pragma once

#include <string>
#include <vector>

namespace geotal::test {

struct KillRound {
    bool killed = false;  // false: the program finished before the k-th change
    int changes = 0;      // the changes seen before it was killed or finished
};

// Starts argv (argv[0] a full path, output discarded) and kills it with SIGKILL as soon as the
// k-th change in one of the folders is seen: a file made, written, closed after writing,
// renamed into or out of it, or removed. Waits for it to end either way.
KillRound KillAtChange(const std::vector<std::string>& argv,
                       const std::vector<std::string>& folders, int k);

}  // namespace geotal::test
