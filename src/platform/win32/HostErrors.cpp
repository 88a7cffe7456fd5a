#include "platform/win32/HostErrors.h"

#include "errors/Failure.h"

#include <windows.h>

namespace platform::win32 {

namespace {

// A user's disk quota used up (ERROR_DISK_QUOTA_EXCEEDED), which mingw-w64's headers lack.
constexpr unsigned long kDiskQuotaExceeded = 1295;

} // namespace

std::int32_t gflngHostErrorNumber(unsigned long hostError, PathPart part)
{
    switch (hostError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_CANT_RESOLVE_FILENAME:  // a link that goes round in a loop names nothing
        return part == PathPart::Last ? errFileNotFound : errPathNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:       // a file where a folder was expected
    case ERROR_INVALID_DRIVE:   // no such drive: nothing on the way to the entry is there
    case ERROR_BAD_NETPATH:     // no such server
    case ERROR_BAD_NET_NAME:    // no such share
        return errPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_BUSY: return errPermission;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: return errBadFileName;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kDiskQuotaExceeded: return errDiskFull;
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETNAME_DELETED: return errDeviceIO;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return errOutOfMemory;
    default: return errPathFileAccess;  // ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS, ...
    }
}

void gsRaiseHostError(unsigned long hostError, PathPart part) { gsRaise(gflngHostErrorNumber(hostError, part)); }

void gsRaiseLastError(PathPart part) { gsRaiseHostError(::GetLastError(), part); }

bool gfblnNothingThere(unsigned long hostError)
{
    const std::int32_t number = gflngHostErrorNumber(hostError, PathPart::Last);
    return number == errFileNotFound || number == errPathNotFound;
}

} // namespace platform::win32
