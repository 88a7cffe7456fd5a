#include "app/ScanReads.h"

#include "platform/LargePages.h"
#include "platform/PhaseTimes.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>
#include <type_traits>

namespace {

// Enough reads in flight to keep a disk busy; a read spends most of its time waiting for the
// disk, so this is no bound on the processors used. Only kFirstReaders read at first, with the
// caller, which reads too while it would wait: when the files are in the host's cache, reading
// is work for the processors, and more threads than processors only take turns (on two
// processors, one reader and the caller scan 20,000 packages a tenth faster than two readers and
// the caller). An index read that takes longer than kSlowRead waited for the disk (from the
// cache one takes some microseconds); when a quarter of the last kReadsJudged did, the readers
// double.
constexpr unsigned kDefaultReadThreads = 16;
constexpr unsigned kFirstReaders = 1;
constexpr std::chrono::microseconds kSlowRead{200};
constexpr int kReadsJudged = 32;
constexpr unsigned kMostReadThreads = 64;

// The index bytes a reader keeps for its next package: 64 KiB holds an index of 2,730 entries,
// far more than most packages have.
constexpr std::size_t kKeptIndexBytes = 64 * 1024;

std::atomic<int> mintChosenThreads{-1};
std::atomic<int> mintReaderStartsAllowed{-1};

// Starts a reader, or raises std::system_error as the host does when it refuses one.
std::thread mudtStartReader(std::function<void()> work)
{
    int allowed = mintReaderStartsAllowed.load();
    while (allowed >= 0) {
        if (allowed == 0)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        if (mintReaderStartsAllowed.compare_exchange_weak(allowed, allowed - 1))
            break;
    }
    return std::thread(std::move(work));
}

// The location code and error data as a step left them.
void msNoteStepEnd(StepRecord& step)
{
    step.Location = glngErrLocation;
    step.Data = gstrErrData;
}

// What a read package holds in memory: its resource bytes, the lists of its whole load and its
// names.
std::size_t mfintHeldBytes(const PackageRead& read)
{
    const PackageFile& package = read.Package;
    return (package.Contents ? package.Contents->size() : 0) + package.Index.capacity() * sizeof(PackageIndexEntry) +
           package.Resources.capacity() * sizeof(PackageResource) + read.Names.capacity();
}

// Keeps a reader's index buffer from holding on to the bytes of one large index.
void msTrimIndexBytes(std::vector<char>& indexBytes)
{
    if (indexBytes.size() > kKeptIndexBytes)
        std::vector<char>().swap(indexBytes);
}

// The stored bytes that decide the name field. A RefPack command never takes more than 5 input
// bytes for every 4 it yields and is at most 113 bytes long, so the commands that yield the
// first 64 bytes all end within the 9-byte header and the next 192 stored bytes; the rest of
// the stream cannot change them. Without this cut, every row would expand its whole resource
// (up to 16 MiB declared from a few kilobytes), and a package whose index names one such
// resource under thousands of pairs would keep the scan busy for hours.
constexpr std::size_t kNameStoredBytes = 9 + 256;
constexpr std::size_t kNameBytes = 64;

// Decodes the names of the resources a table takes into read.Names, each after a byte of its
// length, and lets the resource bytes go: a package read ahead then holds its lists and names,
// a tenth of its bytes or less. Decoding gives the trap a failure only when memory runs out;
// then the names are dropped and the bytes kept, so that the scan decodes the names itself,
// where the failure belongs in its order.
void msDecodeNames(std::string& buffer, PackageRead& read)
{
    PackageFile& package = read.Package;
    std::vector<DeferredTrap> failures;
    {
        const TrapDeferral deferral(failures);
        for (std::size_t i = 1; i < package.Resources.size(); ++i) {
            if (!gfblnIsHackCode(package.Resources[i].TypeID, package.Resources[i].GroupID))
                continue;
            const std::string_view name = gfstrResourceNameField(package.Resources[i].Data, buffer);
            read.Names += static_cast<char>(name.size());  // at most 64
            read.Names += name;
        }
    }
    if (!failures.empty()) {
        read.Names.clear();
        return;
    }
    for (PackageResource& resource : package.Resources)
        resource.Data = {};
    package.Contents.reset();
}

} // namespace

std::string_view gfstrResourceNameField(std::string_view data, std::string& buffer)
{
    const platform::PhaseTimer timer(platform::Phase::Decompression);
    const std::string_view name = gfstrDecompressFile(data.substr(0, kNameStoredBytes), kNameBytes, buffer);
    return name.substr(0, name.find('\0'));  // as gfstrTrimAtNull does
}

void gsReadScanPackage(const platform::FoundFile& file, bool defer, ReadBuffers& buffers, PackageRead& read)
{
    read.Names.clear();
    read.IndexStep.Traps.clear();
    read.LoadStep.Traps.clear();
    read.LoadDamage = {};
    read.HasHackCode = false;
    read.Escaped = nullptr;
    // A package with hack code is loaded whole from the file its index was read from, held open
    // meanwhile, with the header and index that read fetched.
    PackageReading reading;
    {
        std::optional<TrapDeferral> deferral;
        if (defer)
            deferral.emplace(read.IndexStep.Traps);
        const platform::PhaseTimer timer(platform::Phase::IndexReads);
        // Only the index's hack-code test is kept.
        read.HasHackCode = gfblnLoadIndexHasHackCode(file, read.IndexDamage, buffers.IndexBytes, &reading);
        msNoteStepEnd(read.IndexStep);
    }
    if (read.HasHackCode) {
        std::optional<TrapDeferral> deferral;
        if (defer)
            deferral.emplace(read.LoadStep.Traps);
        const platform::PhaseTimer timer(platform::Phase::FullLoads);
        gsLoadPackage(file, reading, read.Package, read.LoadDamage);
        msNoteStepEnd(read.LoadStep);
    }
    // The names are decoded here, where the package was read. Decoding notes its place in the
    // error record, which is put back as the load left it; the scan notes it again as it enters
    // each name.
    if (read.HasHackCode && read.LoadDamage.Number == 0) {
        msDecodeNames(buffers.NameBytes, read);
        glngErrLocation = read.LoadStep.Location;
    }
    msTrimIndexBytes(buffers.IndexBytes);
}

void gsReplayStep(const StepRecord& step)
{
    for (const DeferredTrap& trap : step.Traps)
        gsReplayTrap(trap);
    glngErrLocation = step.Location;
    gstrErrData.Assign(step.Data);
}

// ---- ScanReadAhead ---------------------------------------------------------------------------

ScanReadAhead::Slots::Slots(std::size_t count)
    : slots_(static_cast<PackageRead*>(platform::gpvAllocateLargePages(count * sizeof(PackageRead))), count)
{
    static_assert(std::is_nothrow_default_constructible_v<PackageRead>);
    std::uninitialized_value_construct_n(slots_.data(), count);
}

ScanReadAhead::Slots::~Slots()
{
    std::destroy_n(slots_.data(), slots_.size());
    platform::gsFreeLargePages(slots_.data(), slots_.size() * sizeof(PackageRead));
}

ScanReadAhead::ScanReadAhead(unsigned threads)
    : slots_(threads == 0 ? 1 : static_cast<std::size_t>(kWindow)), mostReaders_(threads)
{
    // Room for every reader that may be called in, so that the list never moves.
    threads_.reserve(threads);
    const std::lock_guard<std::mutex> hold(lock_);
    msCallInReaders(std::min(threads, kFirstReaders));
    // Only this thread calls in readers until one runs, so none will come when none started.
    plain_ = threads_.empty();
}

void ScanReadAhead::msCallInReaders(unsigned readers)
{
    // Threads are started only when called in: starting one costs something on every host, and
    // a scan from the cache never needs more than the first. The list has room for every reader,
    // so a refusal leaves it as it was.
    while (threads_.size() < readers && !startsRefused_) {
        try {
            threads_.push_back(mudtStartReader([this] { msWork(); }));
        } catch (const std::system_error&) {
            startsRefused_ = true;
        }
    }
}

ScanReadAhead::~ScanReadAhead()
{
    {
        const std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    roomChanged_.notify_all();
    // No reader is called in once stopping_ is set: the list stands still.
    for (std::thread& thread : threads_)
        thread.join();
}

void ScanReadAhead::Add(const std::shared_ptr<const platform::Folder>& folder, std::vector<std::string>&& names)
{
    if (names.empty())
        return;
    bool wake = false;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        // One sleeping reader is woken when files arrive after none were waiting; it wakes the
        // next if more are there when it claims.
        wake = waitingForRoom_ > 0 && pending_.empty();
        for (std::string& name : names)
            pending_.emplace_back(folder, std::move(name));
        added_ += static_cast<std::int32_t>(names.size());
    }
    if (wake)
        roomChanged_.notify_one();
}

void ScanReadAhead::Finish(std::int32_t count)
{
    {
        const std::lock_guard<std::mutex> hold(lock_);
        finished_ = true;
        count_ = count;
    }
    roomChanged_.notify_all();
}

void ScanReadAhead::msNoteRead(bool slow)
{
    recentSlow_ += slow ? 1 : 0;
    if (++recentReads_ < kReadsJudged)
        return;
    // Reads that wait for the disk are most of the last ones: twice the readers. (From the
    // cache, one read in a hundred or so is slow only because its thread had to wait its turn.)
    const bool disk = recentSlow_ * 4 >= recentReads_;
    recentReads_ = 0;
    recentSlow_ = 0;
    if (disk && !stopping_ && threads_.size() < mostReaders_)
        msCallInReaders(std::min<unsigned>(static_cast<unsigned>(threads_.size()) * 2, mostReaders_));
}

bool ScanReadAhead::mfblnDone() const { return stopping_ || (finished_ && next_ > count_); }

bool ScanReadAhead::mfblnMayClaim() const
{
    if (next_ > added_ || (finished_ && next_ > count_))
        return false;
    // The next package the caller needs is always claimed; others wait for room.
    if (next_ == taken_ + 1)
        return true;
    return next_ <= taken_ + kWindow && heldBytes_ <= kHeldBytes;
}

ScanReadAhead::PendingFile ScanReadAhead::mudtClaim(std::int32_t& m)
{
    m = next_++;
    PendingFile file = std::move(pending_.front());
    pending_.pop_front();
    return file;
}

void ScanReadAhead::msRead(PendingFile&& pending, bool defer, ReadBuffers& buffers, PackageRead& read)
{
    // The path is written in the memory of the slot's last one.
    std::string path = std::move(read.Path);
    path.assign(pending.first->Windows).append("\\").append(pending.second);
    platform::FoundFile file{std::move(path), std::move(pending.first), std::move(pending.second)};
    gsReadScanPackage(file, defer, buffers, read);
    read.Path = std::move(file.Path);
    read.Folder = std::move(file.In);
}

void ScanReadAhead::msReadClaimed(std::int32_t m, PendingFile&& pending, ReadBuffers& buffers)
{
    // The slot of m was given back with package m - kWindow, which the claim rule had taken.
    PackageRead& read = slots_[static_cast<std::size_t>(m % kWindow)];
    const auto start = std::chrono::steady_clock::now();
    try {
        msRead(std::move(pending), true, buffers, read);
    } catch (...) {
        read.Escaped = std::current_exception();
    }
    const bool slow = !read.HasHackCode && std::chrono::steady_clock::now() - start > kSlowRead;
    bool wanted = false;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        read.Number = m;
        heldBytes_ += mfintHeldBytes(read);
        wanted = callerWants_ == m;
        msNoteRead(slow);
    }
    if (wanted)
        readyChanged_.notify_one();
}

void ScanReadAhead::msWork()
{
    ReadBuffers buffers;
    for (;;) {
        std::int32_t m = 0;
        PendingFile pending;
        bool wakeAnother = false;
        {
            std::unique_lock<std::mutex> hold(lock_);
            while (!mfblnDone() && !mfblnMayClaim()) {
                ++waitingForRoom_;
                roomChanged_.wait(hold);
                --waitingForRoom_;
            }
            if (mfblnDone())
                break;
            pending = mudtClaim(m);
            wakeAnother = waitingForRoom_ > 0 && mfblnMayClaim();
        }
        if (wakeAnother)
            roomChanged_.notify_one();
        msReadClaimed(m, std::move(pending), buffers);
    }
    platform::gsAddThreadPhaseTimes();
    gsEndThreadErrorRecord();
}

PackageRead& ScanReadAhead::Take(std::int32_t m)
{
    if (plain_) {
        PackageRead& read = slots_[0];
        std::int32_t claimed = 0;
        PendingFile pending;
        {
            const std::lock_guard<std::mutex> hold(lock_);
            pending = mudtClaim(claimed);
        }
        msRead(std::move(pending), false, plainBuffers_, read);
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
            // A whole load's lists, bytes and names go with it: a slot waits a long while for reuse.
            if (given.HasHackCode) {
                given.Package = PackageFile{};
                std::string().swap(given.Names);
            }
            taken_ = m - 1;
        }
        // Sleeping readers are woken when the package the caller needs next is unclaimed, or once
        // half the window and half the held bytes are free again, not for every slot given
        // back: each then wakes to read many packages. (Woken for every slot while the held
        // bytes kept them from claiming, they went back to sleep each time: tens of thousands of
        // wake-ups in a scan.)
        if (waitingForRoom_ > 0 &&
            (next_ == taken_ + 1 || (next_ <= taken_ + kWindow / 2 && heldBytes_ <= kHeldBytes / 2)))
            roomChanged_.notify_all();
        // While package m is not read, the caller reads the next file the rule lets it claim,
        // as a reader does, and sleeps only when there is none: a wait costs a wake-up, which is
        // dear, and when reading is what holds the scan back a caller that only waited slept
        // and woke for nearly every package.
        while (read.Number != m) {
            if (mfblnMayClaim()) {
                std::int32_t claimed = 0;
                PendingFile pending = mudtClaim(claimed);
                hold.unlock();
                msReadClaimed(claimed, std::move(pending), plainBuffers_);
                hold.lock();
                continue;
            }
            // Package m is claimed (an unclaimed m would be the caller's to claim): its reader
            // wakes the caller when it is read.
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

void gsSetReaderStartsAllowed(int starts) { mintReaderStartsAllowed.store(starts); }
