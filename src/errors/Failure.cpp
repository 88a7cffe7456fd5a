#include "errors/Failure.h"

#include <new>
#include <stdexcept>

std::string gfstrErrorDescription(std::int32_t number)
{
    switch (number) {
    case errInvalidCall: return "Invalid procedure call or argument";
    case errOutOfMemory: return "Out of memory";
    case errSubscript: return "Subscript out of range";
    case errBadFileName: return "Bad file name or number";
    case errFileNotFound: return "File not found";
    case errDeviceIO: return "Device I/O error";
    case errDiskFull: return "Disk full";
    case errPastEnd: return "Input past end of file";
    case errBadRecord: return "Bad record number";
    case errPermission: return "Permission denied";
    case errPathFileAccess: return "Path/File access error";
    case errPathNotFound: return "Path not found";
    default: return "Application-defined or object-defined error";
    }
}

Failure::Failure(std::int32_t number) : Failure(number, gfstrErrorDescription(number)) {}

Failure::Failure(std::int32_t number, std::string description)
    : number_(number), description_(std::move(description))
{
}

bool gfblnFailureOfOneEntry(const Failure& failure) noexcept
{
    switch (failure.Number()) {
    case errBadFileName:
    case errFileNotFound:
    case errDeviceIO:
    case errPermission:
    case errPathFileAccess:
    case errPathNotFound: return true;
    default: return false;
    }
}

std::string gfstrFailureText(const Failure& failure)
{
    return "Error " + std::to_string(failure.Number()) + ", " + failure.Description();
}

void gsRaise(std::int32_t number) { throw Failure(number); }

void gsRaiseDamaged(std::int32_t number) { throw DamagedContent(number); }

Failure gudtCaughtFailure()
{
    try {
        throw;
    } catch (const Failure& failure) {
        return failure;
    } catch (const std::bad_alloc&) {
        return Failure(errOutOfMemory);
    } catch (const std::length_error&) {
        return Failure(errOutOfMemory);
    } catch (const std::out_of_range&) {
        return Failure(errSubscript);
    } catch (const std::exception& other) {
        return Failure(errInvalidCall, gfstrErrorDescription(errInvalidCall) + " (" + other.what() + ")");
    }
}
