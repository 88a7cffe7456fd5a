#include "app/ScanReads.h"

#include "platform/PhaseTimes.h"

#include <atomic>
#include <cstdlib>
#include <optional>

namespace {

// Enough reads in flight to keep a disk busy; a read spends most of its time waiting for the
// disk, so this is no bound on the processors used.
constexpr unsigned kDefaultReadThreads = 8;
constexpr unsigned kMostReadThreads = 64;

// The index bytes a read record keeps for the next package: 64 KiB holds an index of 2,730
// entries, far more than most packages have.
constexpr std::size_t kKeptIndexBytes = 64 * 1024;

std::atomic<int> mintChosenThreads{-1};

// The location code and error data as a step left them.
void msNoteStepEnd(StepRecord& step)
{
    step.Location = glngErrLocation;
    step.Data = gstrErrData;
}

std::size_t mfintHeldBytes(const PackageRead& read)
{
    return read.Package.Contents ? read.Package.Contents->size() : 0;
}

} // namespace

void gsReadScanPackage(const platform::FoundFile& file, bool defer, PackageRead& read)
{
    read.IndexStep.Traps.clear();
    read.LoadStep.Traps.clear();
    read.LoadDamage = {};
    read.HasHackCode = false;
    read.Escaped = nullptr;
    {
        std::optional<TrapDeferral> deferral;
        if (defer)
            deferral.emplace(read.IndexStep.Traps);
        const platform::PhaseTimer timer(platform::Phase::IndexReads);
        // Only the index's hack-code test is kept.
        read.HasHackCode = gfblnLoadIndexHasHackCode(file, read.IndexDamage, read.IndexBytes);
        msNoteStepEnd(read.IndexStep);
    }
    // A large index's bytes are not kept for the packages after it.
    if (read.IndexBytes.size() > kKeptIndexBytes)
        std::vector<char>().swap(read.IndexBytes);
    if (!read.HasHackCode) {
        // Nothing of an earlier package's load outlives it in a reused record.
        read.Package.Resources.clear();
        read.Package.Contents.reset();
        return;
    }
    std::optional<TrapDeferral> deferral;
    if (defer)
        deferral.emplace(read.LoadStep.Traps);
    const platform::PhaseTimer timer(platform::Phase::FullLoads);
    gsLoadPackage(file, read.Package, read.LoadDamage);
    msNoteStepEnd(read.LoadStep);
}

void gsReplayStep(const StepRecord& step)
{
    for (const DeferredTrap& trap : step.Traps)
        gsReplayTrap(trap);
    glngErrLocation = step.Location;
    gstrErrData = step.Data;
}

// ---- ScanReadAhead ---------------------------------------------------------------------------

ScanReadAhead::ScanReadAhead(const platform::FoundFiles& files, std::int32_t count, unsigned threads)
    : files_(files), count_(count), slots_(threads == 0 ? 1 : static_cast<std::size_t>(kWindow))
{
    if (threads == 0 || count <= 0)
        return;
    // No more threads than packages: a small folder is read by as many threads as it has files.
    const unsigned wanted = std::min<unsigned>(threads, static_cast<unsigned>(count));
    threads_.reserve(wanted);
    for (unsigned i = 0; i < wanted; ++i)
        threads_.emplace_back([this] { msWork(); });
}

ScanReadAhead::~ScanReadAhead()
{
    {
        const std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    roomChanged_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

bool ScanReadAhead::mfblnMayClaim() const
{
    if (next_ > count_)
        return false;
    // The next package the caller needs is always claimed; others wait for room.
    if (next_ == taken_ + 1)
        return true;
    return next_ <= taken_ + kWindow && heldBytes_ <= kHeldBytes;
}

void ScanReadAhead::msWork()
{
    for (;;) {
        std::int32_t m = 0;
        {
            std::unique_lock<std::mutex> hold(lock_);
            while (!stopping_ && next_ <= count_ && !mfblnMayClaim()) {
                ++waitingForRoom_;
                roomChanged_.wait(hold);
                --waitingForRoom_;
            }
            if (stopping_ || next_ > count_)
                break;
            m = next_++;
        }
        // The slot of m was given back with package m - kWindow, which the claim rule had taken.
        PackageRead& read = slots_[static_cast<std::size_t>(m % kWindow)];
        try {
            gsReadScanPackage(files_[static_cast<std::size_t>(m)], true, read);
        } catch (...) {
            read.Escaped = std::current_exception();
        }
        bool wanted = false;
        {
            const std::lock_guard<std::mutex> hold(lock_);
            read.Number = m;
            heldBytes_ += mfintHeldBytes(read);
            wanted = callerWants_ == m;
        }
        if (wanted)
            readyChanged_.notify_one();
    }
    platform::gsAddThreadPhaseTimes();
}

PackageRead& ScanReadAhead::Take(std::int32_t m)
{
    if (threads_.empty()) {
        PackageRead& read = slots_.front();
        gsReadScanPackage(files_[static_cast<std::size_t>(m)], false, read);
        read.Number = m;
        return read;
    }
    PackageRead& read = slots_[static_cast<std::size_t>(m % kWindow)];
    {
        const platform::PhaseTimer timer(platform::Phase::Waiting);
        std::unique_lock<std::mutex> hold(lock_);
        if (m > 1) {
            PackageRead& given = slots_[static_cast<std::size_t>((m - 1) % kWindow)];
            heldBytes_ -= mfintHeldBytes(given);
            given.Number = 0;
            taken_ = m - 1;
        }
        // Sleeping readers are woken once half the window is free again, not for every slot
        // given back: each wakes to read several packages.
        if (waitingForRoom_ > 0 && next_ <= taken_ + kWindow / 2)
            roomChanged_.notify_all();
        if (read.Number != m) {
            callerWants_ = m;
            readyChanged_.wait(hold, [&] { return read.Number == m; });
            callerWants_ = 0;
        }
    }
    if (read.Escaped)
        std::rethrow_exception(read.Escaped);
    return read;
}

// ---- How many threads -------------------------------------------------------------------------

unsigned gintScanReadThreads()
{
    const int chosen = mintChosenThreads.load();
    if (chosen >= 0)
        return static_cast<unsigned>(chosen);
    if (const char* setting = std::getenv("CLASHWICK_SCAN_THREADS")) {
        char* end = nullptr;
        const long threads = std::strtol(setting, &end, 10);
        if (end != setting && *end == '\0' && threads >= 0)
            return static_cast<unsigned>(std::min<long>(threads, kMostReadThreads));
    }
    return kDefaultReadThreads;
}

void gsSetScanReadThreads(int threads) { mintChosenThreads.store(threads); }
