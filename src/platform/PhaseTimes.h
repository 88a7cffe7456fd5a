#pragma once
// An optional timer of the scan's phases, for measuring where its time goes. It is off unless
// the environment variable CLASHWICK_PHASE_TIMES is 1 when the program starts; off, a timer
// costs one test of a flag. On, each phase's time is exclusive: a phase entered inside another
// (decompression inside table entry) stops the outer one's clock until it ends. Each thread
// keeps its own clock: the reading threads of a scan add their times to the printed sums, so
// index reads and full loads are thread time, which may exceed the time the scan took.

#include <cstdint>
#include <ostream>

namespace platform {

enum class Phase : int {
    StartUp,        // discovery of the game's folders, the temp folder
    Listing,        // the folder walk and file listing
    IndexReads,     // header and index of every package, and the hack-code test
    FullLoads,      // whole loads of the packages with hack code
    Decompression,  // resource names
    TableEntry,     // rows and package lists
    Waiting,        // the scan waiting for packages still being read on other threads
    Report,         // writing the report file and reading it back, and printing it
    Comparing,      // reading conflicting packages again to compare contents (--json, --explain)
    Count,
};

namespace detail {
extern const bool gblnPhaseTimesOn;
void gsEnterPhase(Phase phase, Phase& previous, bool& hadPrevious);
void gsLeavePhase(Phase previous, bool hadPrevious);
} // namespace detail

// Times one phase from construction to destruction.
class PhaseTimer {
public:
    explicit PhaseTimer(Phase phase)
    {
        if (detail::gblnPhaseTimesOn) {
            active_ = true;
            detail::gsEnterPhase(phase, previous_, hadPrevious_);
        }
    }
    ~PhaseTimer()
    {
        if (active_)
            detail::gsLeavePhase(previous_, hadPrevious_);
    }
    PhaseTimer(const PhaseTimer&) = delete;
    PhaseTimer& operator=(const PhaseTimer&) = delete;

private:
    bool active_ = false;
    bool hadPrevious_ = false;
    Phase previous_ = Phase::Count;
};

bool gfblnPhaseTimesOn();

// Notes the resident memory now as the figure before the scan (when the timer is on).
void gsNoteResidentBeforeScan();

// Adds the phase times of the calling thread to the printed sums; reading threads call it as
// they end.
void gsAddThreadPhaseTimes();

// One line per phase ("phase listing 0.012345"), then the resident memory before the scan and
// its peak over the whole run, in KiB, where the host reports them.
void gsPrintPhaseTimes(std::ostream& out);

} // namespace platform
