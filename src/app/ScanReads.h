#pragma once
// Reading the packages of a scan ahead of the loop that enters them in the tables. A disk
// answers many outstanding reads at once, so a small pool of threads reads packages (header
// and index, and a hack package's whole load) while the scan's own thread enters them in the
// order of the file list. What the reads did to the error record is kept with each package
// and replayed on the scan's thread when that package's turn comes, so that the tables, the
// error record and every failure the trap is given are those of reading on the scan's thread.

#include "errors/modErrorTrap.h"
#include "package/modSimsPackage.h"
#include "platform/Folders.h"

#include <condition_variable>
#include <deque>
#include <cstdint>
#include <exception>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

// What one loader call did to the error record: the failures it gave the trap (only when read
// on a thread that defers them) and the location code and error data it left.
struct StepRecord {
    std::vector<DeferredTrap> Traps;
    std::int32_t Location = 0;
    std::string Data;
};

// One package as the scan reads it.
struct PackageRead {
    std::int32_t Number = 0;    // its place in the file list; 0 while its slot is free
    PackageDamage IndexDamage;  // from reading header and index
    bool HasHackCode = false;   // the index passed the hack-code test
    StepRecord IndexStep;       // the index read and the hack-code test
    PackageDamage LoadDamage;   // from the whole load, when it has hack code
    PackageFile Package;        // the whole load, when it has hack code
    StepRecord LoadStep;        // the whole load
    std::exception_ptr Escaped; // a failure no loader handled (none is expected)
    std::string Path;           // the package's path
    std::shared_ptr<const platform::Folder> Folder;  // the folder it was found in
    // The name field of each resource of the whole load that a table takes, in resource order,
    // each after a byte of its length, decoded where the package was read; the resource bytes
    // are let go then (Package.Contents, and each resource's Data, are empty). Empty when there
    // are none, or when decoding gave the trap a failure: the bytes are kept then, and the scan
    // decodes the names itself.
    std::string Names;
};

// What a reader keeps from one package to the next: the buffers of index bytes and of names.
struct ReadBuffers {
    std::vector<char> IndexBytes;
    std::string NameBytes;
};

// A resource's name field: the first 64 bytes of the uncompressed resource, up to the first NUL.
// Only those bytes are decoded, into `buffer`, which the caller keeps for the next name.
std::string_view gfstrResourceNameField(std::string_view data, std::string& buffer);

// Reads one package as the scan does: header and index, the hack-code test, and for a package
// with hack code (and an undamaged index) the whole package and its names. With `defer`,
// failures given to the trap are recorded in the read's steps instead of being presented.
void gsReadScanPackage(const platform::FoundFile& file, bool defer, ReadBuffers& buffers, PackageRead& read);

// Replays a step on the calling thread: its failures go to the trap in order, then the error
// record holds the location code and data the step left.
void gsReplayStep(const StepRecord& step);

// The packages of a file list, read in list order on up to `threads` threads while the caller
// takes them in order: one at first, more while reads wait for the disk; the caller reads too
// while the package it needs is not read yet. The list is handed over folder by folder as a
// walk finds them, so reading starts while the walk goes on. With no threads, each package is
// read on the calling thread when it is taken, as a plain loop reads it. Reading runs at most kWindow packages ahead of
// the caller, and stops claiming more than the next one while the packages read and not yet
// taken hold more than kHeldBytes. A reader the host refuses to start (a process limit) is
// done without: reading goes on with those that started, or on the caller's thread when none did.
class ScanReadAhead {
public:
    static constexpr std::int32_t kWindow = 4096;
    static constexpr std::size_t kHeldBytes = 4u << 20;

    explicit ScanReadAhead(unsigned threads);
    ~ScanReadAhead();
    ScanReadAhead(const ScanReadAhead&) = delete;
    ScanReadAhead& operator=(const ScanReadAhead&) = delete;

    // The next files of the list: their folder and their names there.
    void Add(const std::shared_ptr<const platform::Folder>& folder, std::vector<std::string>&& names);
    // The list is complete with `count` files; after a walk that failed, 0: nothing is taken.
    void Finish(std::int32_t count);

    // Package m, read; taking it gives back package m - 1. Packages are taken in order, 1 first,
    // once the list is complete. Its reference stays valid until the next Take. A failure that
    // escaped the loaders is raised here, on the caller's thread.
    PackageRead& Take(std::int32_t m);

private:
    void msWork();
    void msCallInReaders(unsigned readers);  // under lock_: starts readers until there are so many
    bool mfblnMayClaim() const;  // under lock_
    bool mfblnDone() const;      // under lock_: nothing more will be claimed
    void msNoteRead(bool slow);  // under lock_: counts an index read, calling in readers when reads wait
    using PendingFile = std::pair<std::shared_ptr<const platform::Folder>, std::string>;  // folder, name
    PendingFile mudtClaim(std::int32_t& m);  // under lock_: the next file and its number
    // Reads claimed file m into its slot and hands it over, waking the caller when it waits for m.
    void msReadClaimed(std::int32_t m, PendingFile&& pending, ReadBuffers& buffers);
    // Reads a claimed file into `read`, which keeps its path and folder.
    static void msRead(PendingFile&& pending, bool defer, ReadBuffers& buffers, PackageRead& read);

    // The slots of the window, in a chunk the host may back with large pages: thousands of
    // records of a few hundred bytes, all written as the window turns.
    class Slots {
    public:
        explicit Slots(std::size_t count);
        ~Slots();
        Slots(const Slots&) = delete;
        Slots& operator=(const Slots&) = delete;
        PackageRead& operator[](std::size_t slot) { return slots_[slot]; }

    private:
        std::span<PackageRead> slots_;
    };
    Slots slots_;
    bool plain_ = false;                    // no reader runs: the caller reads each package it takes
    bool startsRefused_ = false;            // under lock_: the host refused a reader, none more is tried
    ReadBuffers plainBuffers_;              // the buffers of the caller's own reads
    const unsigned mostReaders_;            // the readers that may be called in
    std::vector<std::thread> threads_;      // the readers called in so far

    std::mutex lock_;
    std::condition_variable readyChanged_;  // a package was read
    std::condition_variable roomChanged_;   // files arrived, packages were taken, or the read ends
    // Files handed over and not yet claimed, as folder and name: the walk may run far ahead.
    std::deque<PendingFile> pending_;
    std::int32_t added_ = 0;                // files handed over
    std::int32_t count_ = 0;                // the list's length, once finished
    bool finished_ = false;
    std::int32_t next_ = 1;                 // the next package to claim
    std::int32_t taken_ = 0;                // packages taken by the caller and given back
    std::size_t heldBytes_ = 0;             // bytes of packages read, not yet given back
    int waitingForRoom_ = 0;                // readers asleep until they may claim more
    int recentReads_ = 0;                   // index reads since the readers were last judged
    int recentSlow_ = 0;                    // of which waited for the disk
    std::int32_t callerWants_ = 0;          // the package the caller is waiting for, if any
    bool stopping_ = false;
};

// For tests: how many more reader threads may start before the host refuses one, as a process
// limit does; negative for no such limit.
void gsSetReaderStartsAllowed(int starts);

// How many threads a scan reads on: CLASHWICK_SCAN_THREADS when set (0 reads on the scan's own
// thread), else the default, unless gsSetScanReadThreads chose.
unsigned gintScanReadThreads();
// Chooses the number of reading threads (tests compare a pool with the plain loop); a negative
// number goes back to the default.
void gsSetScanReadThreads(int threads);
