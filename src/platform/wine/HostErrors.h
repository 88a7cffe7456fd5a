#pragma once
// The one place that maps a host error code (errno) onto the program's error numbers.

#include <cstdint>

namespace platform::wine {

// Where in a path a host error arose. A missing last component is "File not found" (53); a
// missing component on the way to it is "Path not found" (76).
enum class PathPart { Last, OnTheWay };

// ENOENT and ELOOP 53 or 76 (by part): a link that goes round in a loop names nothing, as a
// link to nothing does; ENOTDIR 76, EACCES/EPERM/EBUSY/EROFS/ETXTBSY 70, ENOSPC/EDQUOT 61,
// EIO 57, ENAMETOOLONG/EILSEQ 52, ENOMEM 7, anything else (EISDIR, EEXIST, ...) 75.
std::int32_t gflngPathErrorNumber(int hostError, PathPart part);
[[noreturn]] void gsRaisePathError(int hostError, PathPart part);

// True for the host errors that mean "nothing is there": no such entry, a file where a folder
// was expected on the way, a link loop.
bool gfblnNothingThere(int hostError);

} // namespace platform::wine
