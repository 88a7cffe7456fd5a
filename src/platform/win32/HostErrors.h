#pragma once
// The one place that maps a host error code (GetLastError) onto the program's error numbers.

#include <cstdint>

namespace platform::win32 {

// Where in a path a host error arose. A missing last component is "File not found" (53); a
// missing component on the way to it is "Path not found" (76).
enum class PathPart { Last, OnTheWay };

// ERROR_FILE_NOT_FOUND and a link that cannot be resolved 53 or 76 (by part); a missing path,
// drive, network name or a file where a folder was expected 76; refused, shared, locked or
// write-protected 70; bad names 52; disk full 61; device errors 57; out of memory 7; anything
// else (an existing entry, ...) 75.
std::int32_t gflngHostErrorNumber(unsigned long hostError, PathPart part);
[[noreturn]] void gsRaiseHostError(unsigned long hostError, PathPart part = PathPart::Last);
// The same for the calling thread's last error.
[[noreturn]] void gsRaiseLastError(PathPart part = PathPart::Last);

// True for the host errors that mean "nothing is there", those that become 53 or 76: no such
// entry, no folder or drive on the way, a file where a folder was expected, a link that leads
// nowhere.
bool gfblnNothingThere(unsigned long hostError);

} // namespace platform::win32
