#include "platform/wine/HostErrors.h"

#include "errors/Failure.h"

#include <cerrno>

namespace platform::wine {

std::int32_t gflngPathErrorNumber(int hostError, PathPart part)
{
    switch (hostError) {
    case ENOENT:
    case ELOOP: return part == PathPart::Last ? errFileNotFound : errPathNotFound;
    case ENOTDIR: return errPathNotFound;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EROFS:
    case ETXTBSY: return errPermission;
    case ENOSPC:
    case EDQUOT: return errDiskFull;
    case EIO: return errDeviceIO;
    case ENAMETOOLONG:
    case EILSEQ: return errBadFileName;
    case ENOMEM: return errOutOfMemory;
    default: return errPathFileAccess;
    }
}

void gsRaisePathError(int hostError, PathPart part) { gsRaise(gflngPathErrorNumber(hostError, part)); }

bool gfblnNothingThere(int hostError) { return hostError == ENOENT || hostError == ENOTDIR || hostError == ELOOP; }

} // namespace platform::wine
