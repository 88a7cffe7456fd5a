#pragma once
// Windows-form paths on a Wine-style host.
//
// The program builds every path in Windows form ("C:\users\...", "\" separators). This layer
// turns one into a host path the way Wine does: the drive through the prefix, then each
// component matched by its exact name first, else by the one entry that equals it without
// regard to case. It also turns a host path back into Windows form, maps host error codes
// onto the program's error numbers, and gives the NTFS collation order of names.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// ---- Error numbers -------------------------------------------------------------------------

// Where in a path a host error arose. A missing last component is "File not found" (53); a
// missing component on the way to it is "Path not found" (76).
enum class PathPart { Last, OnTheWay };

// The one place that maps a host error code (errno) onto an error number:
// ENOENT 53 or 76 (by part), ENOTDIR 76, EACCES/EPERM/EBUSY/EROFS/ETXTBSY 70, ENOSPC/EDQUOT 61,
// EIO 57, ENAMETOOLONG/EILSEQ 52, ENOMEM 7, anything else (EISDIR, EEXIST, ELOOP, ...) 75.
std::int32_t gflngPathErrorNumber(int hostError, PathPart part);
[[noreturn]] void gsRaisePathError(int hostError, PathPart part);

// ---- Names ---------------------------------------------------------------------------------

// The collation key of a name: its UTF-16 units, each upper-cased. Names compare without
// regard to case by these keys, as NTFS compares them. Bytes that are not valid UTF-8 (a host
// name may hold any bytes) become the units DC80-DCFF, so every name has a distinct, stable key.
std::u16string gfstrNameKey(std::string_view name);

// NTFS listing order: by key, and names with equal keys (which only a case-sensitive host can
// hold side by side) by their bytes, so the order is the same on every machine.
bool gfblnNameBefore(std::string_view left, std::string_view right);

// True when the two names are equal without regard to case.
bool gfblnSameName(std::string_view left, std::string_view right);

// True when the name can be one component of a Windows path: 1 to 255 bytes, no control
// character and none of \ / < > : " | ? *.
bool gfblnValidName(std::string_view name);

// ---- Windows form to host form -------------------------------------------------------------

// The Wine prefix: $WINEPREFIX when set and not empty, else ~/.wine. Read at every call.
std::string gfstrWinePrefix();

enum class PathUse {
    Existing,  // the whole path must name an entry
    ToCreate,  // the folders on the way must exist; the last component may be new
};

// The host path named by a Windows-form path.
//  - "X:\..." goes through drive X: ($WINEPREFIX/dosdevices/x: when it exists, else C: is
//    $WINEPREFIX/drive_c and Z: is /; any other drive is "Path not found" 76).
//  - "\..." is the root of the drive that holds the current folder; a path without a drive
//    letter is relative to the current folder; "X:name" is taken from the root of X:.
//  - "\" and "/" both separate; empty components (doubled separators) and "." are skipped;
//    ".." removes the component before it, as Windows does before it looks anything up.
// Failures: 52 a component that is not a valid name or "\\server" form; 53 the last component
// missing (Existing only); 76 a folder on the way missing or not a folder; others from the host.
std::string gfstrHostPath(std::string_view windowsPath, PathUse use = PathUse::Existing);

// The host path of the entry `name` in a host folder already resolved, matched as one path
// component is matched (exact name, else without regard to case). Callers walking a folder
// tree use it so that the folder's own path is not resolved again for every entry.
// Failures: 52 an invalid name; 53 no such entry (Existing only); 76 the folder is not there.
std::string gfstrHostChild(const std::string& hostFolder, std::string_view name, PathUse use);

// The host path of `name` in `hostFolder` by plain joining (no lookup).
std::string gfstrJoinHost(std::string_view hostFolder, std::string_view name);

// ---- Memory of resolved folders ------------------------------------------------------------

// While a PathMemory lives, gfstrHostPath remembers the folders it resolves, keyed by their
// Windows form exactly as written ("C:\x\downloads\Hacks"), and resolves a path whose folder
// part is remembered from that folder's host path: only the last component is looked up, by
// the same rules (exact name, else the one caseless match), and fails as the last component
// of a full resolution fails. The scan keeps one for its whole run, so opening each package
// does not walk its path from the drive again. Everything is forgotten when the outermost
// PathMemory ends. A folder renamed or moved meanwhile is not noticed, just as a folder
// listing taken before the change does not notice it. Where the host can watch a folder for
// new entries, a name found missing there is remembered as missing until an entry is made.
class PathMemory {
public:
    PathMemory();
    ~PathMemory();
    PathMemory(const PathMemory&) = delete;
    PathMemory& operator=(const PathMemory&) = delete;
};

// Opens (host open() flags) the entry that `windowsPath` names when its last component exists
// under exactly that name in its remembered folder, without looking anything else up: the
// descriptor, or -1 with the host's errno. Also -1 when the memory is off, the folder is not
// remembered or the last component is not a plain name. A caller that gets -1 must resolve in
// full, which then succeeds or fails as it always does.
int gfintOpenRemembered(std::string_view windowsPath, int flags);

// True when the memory knows that the path names nothing: its last component was looked up in
// its (remembered) folder and not found, and the host has reported no entry made there since.
// Lets a caller that only asks whether an entry exists skip the lookup and the failure.
bool gfblnRememberedMissing(std::string_view windowsPath);

// 0 while no PathMemory lives; otherwise a number that is new each time the outermost one
// begins, so that other layers can keep a value for as long as the memory lasts.
std::uint64_t gflngPathMemoryGeneration();

// ---- Host form to Windows form -------------------------------------------------------------

// A host path in Windows form, through the drive whose target holds it (the longest target
// wins; Z: only when no other drive holds it): with the default prefix, /opt/clashwick/bin is
// Z:\opt\clashwick\bin. A relative host path is taken from the current folder; links are
// followed when the path exists. A drive's root itself reads "X:\".
std::string gfstrWindowsPath(std::string_view hostPath);

// ---- Reading host folders ------------------------------------------------------------------

// The kind of a host folder entry as the listing reports it (the d_type of readdir; Unknown
// when the file system does not say).
enum class HostEntryType { File, Folder, Link, Other, Unknown };

// Calls `visit` for each entry of a host folder other than "." and "..", in the host's order.
// Returns false, without calling `visit`, when the folder is missing or is not a folder; other
// failures raise.
bool gfblnReadHostFolder(const std::string& hostFolder,
                         const std::function<void(std::string_view name, HostEntryType type)>& visit);

} // namespace platform
