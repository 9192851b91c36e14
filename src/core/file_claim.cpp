// Waiting one's turn at a file name: the same on every system; each system
// gives one try of a claim (tryClaimNewFile).
#include "core/system.h"

#include <chrono>
#include <thread>

namespace {

// A save takes tens of milliseconds: looking again this often costs nothing
// and adds little to the wait.
constexpr std::chrono::milliseconds claimPoll(5);

// Each change of the name under a try is another program's step (or a
// stale file removed): far more of them than any number of games make means
// something keeps changing it on purpose.
constexpr int changesAtMost = 1000;

} // namespace

SystemFile claimNewFile(const char *path, double waitSeconds)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(waitSeconds));
    for (int changes = 0; changes < changesAtMost;) {
        SystemFile claimed = noFile;
        switch (tryClaimNewFile(path, claimed)) {
        case ClaimStep::claimed:
            return claimed;
        case ClaimStep::again:
            changes++;
            break;
        case ClaimStep::busy:
            if (Clock::now() >= deadline)
                return noFile;
            std::this_thread::sleep_for(claimPoll);
            break;
        case ClaimStep::failed:
            return noFile;
        }
    }
    return noFile;
}
