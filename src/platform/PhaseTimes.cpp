#include "platform/PhaseTimes.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <utility>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

using PhaseSpent = std::array<Clock::duration, static_cast<std::size_t>(Phase::Count)>;

// Each thread times its own phases; a reading thread adds its times to the shared sums when it
// is done (gsAddThreadPhaseTimes).
struct PhaseClock {
    PhaseSpent Spent{};
    bool Running = false;
    Phase Current = Phase::Count;
    Clock::time_point Mark;
};

PhaseClock& mudtClock()
{
    thread_local PhaseClock clock;
    return clock;
}

struct SharedTimes {
    std::mutex Lock;
    PhaseSpent Spent{};
    std::int64_t ResidentBeforeScan = -1;
};

SharedTimes& mudtShared()
{
    static SharedTimes shared;
    return shared;
}

// Charges the time since the last mark to the running phase and moves the mark to now.
void msCharge(PhaseClock& clock)
{
    const Clock::time_point now = Clock::now();
    if (clock.Running)
        clock.Spent[static_cast<std::size_t>(clock.Current)] += now - clock.Mark;
    clock.Mark = now;
}

// A figure in KiB from /proc/self/status ("VmRSS", "VmHWM"); -1 where the host has none.
std::int64_t mflngStatusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::strtoll(line.c_str() + length + 1, nullptr, 10);
    }
    return -1;
}

constexpr std::array<const char*, static_cast<std::size_t>(Phase::Count)> kNames = {
    "start-up", "listing", "index-reads", "full-loads", "decompression", "table-entry", "waiting", "report", "comparing"};

} // namespace

namespace detail {

const bool gblnPhaseTimesOn = [] {
    const char* setting = std::getenv("CLASHWICK_PHASE_TIMES");
    return setting != nullptr && std::strcmp(setting, "1") == 0;
}();

void gsEnterPhase(Phase phase, Phase& previous, bool& hadPrevious)
{
    PhaseClock& clock = mudtClock();
    msCharge(clock);
    previous = clock.Current;
    hadPrevious = clock.Running;
    clock.Current = phase;
    clock.Running = true;
}

void gsLeavePhase(Phase previous, bool hadPrevious)
{
    PhaseClock& clock = mudtClock();
    msCharge(clock);
    clock.Current = previous;
    clock.Running = hadPrevious;
}

} // namespace detail

bool gfblnPhaseTimesOn() { return detail::gblnPhaseTimesOn; }

void gsNoteResidentBeforeScan()
{
    if (!detail::gblnPhaseTimesOn)
        return;
    SharedTimes& shared = mudtShared();
    const std::lock_guard<std::mutex> hold(shared.Lock);
    shared.ResidentBeforeScan = mflngStatusKiB("VmRSS");
}

void gsAddThreadPhaseTimes()
{
    if (!detail::gblnPhaseTimesOn)
        return;
    PhaseClock& clock = mudtClock();
    SharedTimes& shared = mudtShared();
    const std::lock_guard<std::mutex> hold(shared.Lock);
    for (std::size_t i = 0; i < clock.Spent.size(); ++i)
        shared.Spent[i] += std::exchange(clock.Spent[i], Clock::duration{});
}

void gsPrintPhaseTimes(std::ostream& out)
{
    const PhaseClock& clock = mudtClock();
    SharedTimes& shared = mudtShared();
    const std::lock_guard<std::mutex> hold(shared.Lock);
    for (std::size_t i = 0; i < kNames.size(); ++i)
        out << "phase " << kNames[i] << " " << std::chrono::duration<double>(clock.Spent[i] + shared.Spent[i]).count()
            << "\n";
    out << "resident-before-scan-kib " << shared.ResidentBeforeScan << "\n";
    out << "peak-resident-kib " << mflngStatusKiB("VmHWM") << "\n";
}

} // namespace platform
