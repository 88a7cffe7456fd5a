#pragma once
// A failure is a C++ exception that carries an error number and its description.
// The numbers are the ones the error dialog shows and the handlers test.

#include <cstdint>
#include <exception>
#include <string>

enum ErrorNumber : std::int32_t {
    errInvalidCall = 5,      // "Invalid procedure call or argument"
    errOutOfMemory = 7,      // "Out of memory"
    errSubscript = 9,        // "Subscript out of range"
    errBadFileName = 52,     // "Bad file name or number"
    errFileNotFound = 53,    // "File not found"
    errDeviceIO = 57,        // "Device I/O error"
    errDiskFull = 61,        // "Disk full"
    errPastEnd = 62,         // "Input past end of file"
    errBadRecord = 63,       // "Bad record number"
    errPermission = 70,      // "Permission denied"
    errPathFileAccess = 75,  // "Path/File access error"
    errPathNotFound = 76,    // "Path not found"
};

// The description text of an error number ("Application-defined or object-defined error"
// for a number without one of its own).
std::string gfstrErrorDescription(std::int32_t number);

class Failure : public std::exception {
public:
    explicit Failure(std::int32_t number);
    Failure(std::int32_t number, std::string description);

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

    // True for a failure caused by damaged file content (see DamagedContent); kept by copies.
    bool IsDamage() const noexcept { return damage_; }

protected:
    bool damage_ = false;

private:
    std::int32_t number_;
    std::string description_;
};

// A failure caused by the bytes of a file that cannot be what they claim to be: a count,
// offset or size pointing outside the file. Loaders hand these to their caller instead of
// the error trap, so one damaged download does not stop a scan.
class DamagedContent : public Failure {
public:
    explicit DamagedContent(std::int32_t number) : Failure(number) { damage_ = true; }
};

// True for a failure that concerns one file or folder and nothing beyond it: not there (53, 76),
// refused or held by another program (70), not a file that can be read (75), a name the host
// will not take (52), a read the device failed (57). A scan lists such an entry and goes on;
// running out of memory or a full disk are about the whole run.
bool gfblnFailureOfOneEntry(const Failure& failure) noexcept;

// A failure as one clause of a sentence: "Error 70, Permission denied".
std::string gfstrFailureText(const Failure& failure);

[[noreturn]] void gsRaise(std::int32_t number);
[[noreturn]] void gsRaiseDamaged(std::int32_t number);

// Inside a catch block: the failure being handled, with foreign exceptions mapped onto
// error numbers (std::bad_alloc and std::length_error become 7 "Out of memory").
Failure gudtCaughtFailure();
