#include "platform/WinPath.h"

#include "platform/Utf8.h"

#include "errors/Failure.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <pwd.h>
#include <sys/stat.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif
#include <unistd.h>
#include <wctype.h>

namespace platform {

namespace {

bool mfblnIsSeparator(char c) { return c == '\\' || c == '/'; }

// The position of the last "\" or "/" of a path, or npos: find_last_of in one plain pass from
// the end, as the path layer asks it for every package a scan opens and every decompression.
std::size_t mflngLastSeparator(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i) {
        if (mfblnIsSeparator(path[i - 1]))
            return i - 1;
    }
    return std::string_view::npos;
}

bool mfblnExists(const std::string& hostPath)
{
    struct stat st {};
    return ::lstat(hostPath.c_str(), &st) == 0;
}

// ---- Case mapping --------------------------------------------------------------------------

// Upper-cases one UTF-16 unit. Names are compared by the simple upper-case mapping of Unicode,
// taken from the C library's UTF-8 locale; a unit whose upper case lies outside the Basic
// Multilingual Plane stays as it is, as NTFS's one-unit table leaves it.
char16_t mfUpperUnit(char32_t unit)
{
    if (unit < 0x80)
        return static_cast<char16_t>(unit >= 'a' && unit <= 'z' ? unit - ('a' - 'A') : unit);
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8 == static_cast<locale_t>(nullptr) || (unit >= 0xD800 && unit <= 0xDFFF))
        return static_cast<char16_t>(unit);
    const wint_t upper = ::towupper_l(static_cast<wint_t>(unit), utf8);
    return static_cast<char16_t>(upper <= 0xFFFF ? upper : unit);
}

// ---- Parsing -------------------------------------------------------------------------------

// A Windows-form path taken apart: the host folder it starts from and its components, with
// "." dropped and ".." applied.
struct ParsedPath {
    std::string Root;
    std::vector<std::string> Parts;
};

std::string mfstrCurrentFolder()
{
    std::string buffer(PATH_MAX, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr)
        gsRaisePathError(errno, PathPart::OnTheWay);
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

// The host folder of drive `letter` (upper case), or nothing when the prefix has no such drive.
std::optional<std::string> mfDriveRoot(char letter)
{
    const std::string prefix = gfstrWinePrefix();
    std::string device = prefix + "/dosdevices/";
    device += static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    device += ':';
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0)
        return device;
    if (letter == 'C')
        return prefix + "/drive_c";
    if (letter == 'Z')
        return std::string("/");
    return std::nullopt;
}

ParsedPath mfudtParse(std::string_view path)
{
    if (path.find('\0') != std::string_view::npos)
        gsRaise(errBadFileName);

    ParsedPath parsed;
    bool relative = false;
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        const auto root = mfDriveRoot(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
        if (!root)
            gsRaise(errPathNotFound);
        parsed.Root = *root;
        path.remove_prefix(2);
    } else if (path.size() >= 2 && mfblnIsSeparator(path[0]) && mfblnIsSeparator(path[1])) {
        // "\\server\share": network names have no place in the prefix.
        gsRaise(errBadFileName);
    } else if (!path.empty() && mfblnIsSeparator(path[0])) {
        const std::string current = gfstrWindowsPath(mfstrCurrentFolder());
        const auto root = mfDriveRoot(current[0]);
        if (!root)
            gsRaise(errPathNotFound);
        parsed.Root = *root;
    } else {
        parsed.Root = mfstrCurrentFolder();
        relative = true;
    }

    while (!path.empty()) {
        const auto end = std::find_if(path.begin(), path.end(), mfblnIsSeparator);
        const std::string_view part = path.substr(0, static_cast<std::size_t>(end - path.begin()));
        path.remove_prefix(std::min(path.size(), part.size() + 1));
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parsed.Parts.empty() && parsed.Parts.back() != "..")
                parsed.Parts.pop_back();
            else if (relative)
                parsed.Parts.emplace_back(part);  // above the current folder: the host knows where
            continue;                             // above a drive's root: stays at the root
        }
        if (!gfblnValidName(part))
            gsRaise(errBadFileName);
        parsed.Parts.emplace_back(part);
    }
    return parsed;
}

// ---- Lookup --------------------------------------------------------------------------------

// The entry of `hostFolder` equal to `name` without regard to case. Should a case-sensitive
// host hold several, the first in byte order is taken, so the choice is the same every time.
// A folder that cannot be read is "Path not found" (76) or the host's own failure.
std::optional<std::string> mfCaselessMatch(const std::string& hostFolder, std::string_view name)
{
    const std::u16string key = gfstrNameKey(name);
    std::optional<std::string> match;
    const bool listed = gfblnReadHostFolder(hostFolder, [&](std::string_view entry, HostEntryType) {
        if (gfstrNameKey(entry) == key && (!match || entry < *match))
            match = std::string(entry);
    });
    if (!listed)
        gsRaise(errPathNotFound);
    return match;
}

// Resolves the components one at a time from `root`: exact name first, else the caseless match.
std::string mfstrResolveParts(const std::string& root, const std::vector<std::string>& parts, PathUse use)
{
    std::string current = root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        std::string candidate = gfstrJoinHost(current, parts[i]);
        if (mfblnExists(candidate)) {
            current = std::move(candidate);
            continue;
        }
        if (errno != ENOENT)
            gsRaisePathError(errno, last ? PathPart::Last : PathPart::OnTheWay);
        if (auto match = mfCaselessMatch(current, parts[i]))
            current = gfstrJoinHost(current, *match);
        else if (last && use == PathUse::ToCreate)
            current = std::move(candidate);
        else
            gsRaise(last ? errFileNotFound : errPathNotFound);
    }
    return current;
}

// ---- Memory of resolved folders ------------------------------------------------------------

// Lookups by std::string_view in a map keyed by std::string, without making a string.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

using TextSet = std::unordered_set<std::string, TextHash, std::equal_to<>>;

struct RememberedFolder {
    std::string Host;
    bool Watched = false;  // the host reports every entry made in it (see mfblnWatch)
    TextSet Missing;       // names looked up and not found since the last change
};

struct ResolvedFolders {
    int Depth = 0;
    std::uint64_t Generation = 0;
    std::uint64_t LastGeneration = 0;
    std::unordered_map<std::string, RememberedFolder, TextHash, std::equal_to<>> ByWindows;
    // The entry of ByWindows found last (entries stay where they are until the memory ends): a
    // scan asks about the same folder many times running, and a comparison is cheaper than
    // hashing the folder's path again.
    std::pair<const std::string, RememberedFolder>* LastFound = nullptr;
    int Changes = -1;  // inotify descriptor of the watched folders, or -1
    // The remembered folder whose entries were opened last, and its host descriptor (or -1).
    // One at a time: a scan opens its packages folder by folder.
    const RememberedFolder* OpenFolder = nullptr;
    int OpenFolderDescriptor = -1;
};

ResolvedFolders& mudtResolvedFolders()
{
    static ResolvedFolders folders;
    return folders;
}

// Missing names are remembered only in folders the host watches for new entries (Linux's
// inotify): an entry created or moved in, or the folder itself moved or deleted, queues an
// event, and any event forgets every missing name. Elsewhere nothing missing is remembered.
bool mfblnWatch(ResolvedFolders& memory, RememberedFolder& folder)
{
#ifdef __linux__
    if (folder.Watched)
        return true;
    if (memory.Changes < 0)
        memory.Changes = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (memory.Changes < 0)
        return false;
    folder.Watched = ::inotify_add_watch(memory.Changes, folder.Host.c_str(),
                                         IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR) >= 0;
    return folder.Watched;
#else
    (void)memory;
    (void)folder;
    return false;
#endif
}

// True when a watched folder has changed since the last call; the missing names are then
// forgotten. A failure to read the events counts as a change.
bool mfblnFoldersChanged(ResolvedFolders& memory)
{
#ifdef __linux__
    if (memory.Changes < 0)
        return true;
    alignas(inotify_event) char events[4096];
    const ssize_t got = ::read(memory.Changes, events, sizeof events);
    if (got < 0 && errno == EAGAIN)
        return false;
    while (::read(memory.Changes, events, sizeof events) > 0) {
    }
    // The watches are renewed at the next name not found: a folder deleted and made again is a
    // new folder, which the old watch no longer covers.
    for (auto& [windows, folder] : memory.ByWindows) {
        folder.Missing.clear();
        folder.Watched = false;
    }
    return true;
#else
    (void)memory;
    return true;
#endif
}

// The remembered folder and last component of a path, when the memory is on and the path is
// a plain name in a folder already remembered.
std::pair<RememberedFolder*, std::string_view> mudtRememberedParts(ResolvedFolders& memory, std::string_view windowsPath)
{
    if (memory.Depth == 0)
        return {nullptr, {}};
    const auto separator = mflngLastSeparator(windowsPath);
    if (separator == std::string_view::npos)
        return {nullptr, {}};
    const std::string_view folderPart = windowsPath.substr(0, separator);
    if (memory.LastFound == nullptr || memory.LastFound->first != folderPart) {
        const auto folder = memory.ByWindows.find(folderPart);
        if (folder == memory.ByWindows.end())
            return {nullptr, {}};
        memory.LastFound = &*folder;
    }
    return {&memory.LastFound->second, windowsPath.substr(separator + 1)};
}

void msCloseOpenFolder(ResolvedFolders& memory)
{
    if (memory.OpenFolderDescriptor >= 0)
        ::close(memory.OpenFolderDescriptor);
    memory.OpenFolder = nullptr;
    memory.OpenFolderDescriptor = -1;
}

// A folder path that does not depend on the current folder: it begins with a drive letter.
bool mfblnDriveForm(std::string_view folder)
{
    return folder.size() >= 2 && std::isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':';
}

// The host path of `windowsPath` through the remembered host folder of its folder part, or
// nothing when the memory is off or the path is not a plain name in a folder that resolves.
// The folder part is resolved (and remembered) on first use; a name that is not one plain
// component, or a folder part that does not resolve to a folder, leaves the whole path to the
// full resolution, which then fails exactly as it always does.
std::optional<std::string> mfRememberedPath(std::string_view windowsPath, PathUse use)
{
    ResolvedFolders& memory = mudtResolvedFolders();
    if (memory.Depth == 0)
        return std::nullopt;
    const auto separator = mflngLastSeparator(windowsPath);
    if (separator == std::string_view::npos)
        return std::nullopt;
    const std::string_view folderPart = windowsPath.substr(0, separator);
    const std::string_view name = windowsPath.substr(separator + 1);
    if (!mfblnDriveForm(folderPart) || !gfblnValidName(name) || name == "." || name == ".." ||
        folderPart.find('\0') != std::string_view::npos)
        return std::nullopt;

    auto folder = memory.ByWindows.find(folderPart);
    if (folder == memory.ByWindows.end()) {
        std::string host;
        try {
            host = gfstrHostPath(folderPart, PathUse::Existing);
        } catch (const Failure&) {
            return std::nullopt;
        }
        struct stat st {};
        if (::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return std::nullopt;
        folder = memory.ByWindows.emplace(std::string(folderPart), RememberedFolder{std::move(host), false, {}}).first;
    }
    RememberedFolder& remembered = folder->second;
    if (use != PathUse::Existing)
        return mfstrResolveParts(remembered.Host, {std::string(name)}, use);
    // A name not found is remembered as missing only when the folder was watched before the
    // lookup that did not find it, so an entry made after that lookup is always reported. The
    // watch starts at the first name not found in a folder, which is then looked up again.
    for (bool watchedBefore = remembered.Watched;; watchedBefore = true) {
        try {
            return mfstrResolveParts(remembered.Host, {std::string(name)}, use);
        } catch (const Failure& failure) {
            if (failure.Number() != errFileNotFound)
                throw;
            if (watchedBefore) {
                remembered.Missing.emplace(name);
                throw;
            }
            if (!mfblnWatch(memory, remembered))
                throw;
        }
    }
}

// ---- Drives for the reverse mapping --------------------------------------------------------

struct Drive {
    char Letter;
    std::string Target;  // canonical host folder
};

std::optional<std::string> mfCanonical(const std::string& hostPath)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(hostPath.c_str(), nullptr), &std::free);
    if (!resolved)
        return std::nullopt;
    return std::string(resolved.get());
}

// "/a/./b/../c" -> "/a/c", for a path that does not exist and so cannot be made canonical.
std::string mfstrLexicallyNormal(std::string_view absolute)
{
    std::vector<std::string_view> parts;
    while (!absolute.empty()) {
        const auto slash = absolute.find('/');
        const std::string_view part = absolute.substr(0, slash);
        absolute.remove_prefix(slash == std::string_view::npos ? absolute.size() : slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string result;
    for (const auto part : parts) {
        result += '/';
        result += part;
    }
    return result.empty() ? "/" : result;
}

std::vector<Drive> mfudtDrives()
{
    std::vector<Drive> drives;
    const std::string prefix = gfstrWinePrefix();
    const std::string devices = prefix + "/dosdevices";
    gfblnReadHostFolder(devices, [&](std::string_view name, HostEntryType) {
        if (name.size() == 2 && name[1] == ':' && name[0] >= 'a' && name[0] <= 'z') {
            if (auto target = mfCanonical(gfstrJoinHost(devices, name)))
                drives.push_back({static_cast<char>(name[0] - 'a' + 'A'), std::move(*target)});
        }
    });
    const auto has = [&](char letter) {
        return std::any_of(drives.begin(), drives.end(), [&](const Drive& d) { return d.Letter == letter; });
    };
    if (!has('C')) {
        if (auto target = mfCanonical(prefix + "/drive_c"))
            drives.push_back({'C', std::move(*target)});
    }
    if (!has('Z'))
        drives.push_back({'Z', "/"});
    return drives;
}

bool mfblnHolds(const std::string& target, const std::string& path)
{
    if (target == "/")
        return true;
    return path.size() >= target.size() && path.compare(0, target.size(), target) == 0 &&
           (path.size() == target.size() || path[target.size()] == '/');
}

} // namespace

// ---- Error numbers -------------------------------------------------------------------------

std::int32_t gflngPathErrorNumber(int hostError, PathPart part)
{
    switch (hostError) {
    case ENOENT: return part == PathPart::Last ? errFileNotFound : errPathNotFound;
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

// ---- Names ---------------------------------------------------------------------------------

std::u16string gfstrNameKey(std::string_view name)
{
    std::u16string key;
    key.reserve(name.size());
    while (!name.empty()) {
        char32_t codePoint = 0;
        const std::size_t length = gflngDecodeUtf8(name, codePoint);
        if (length == 0) {
            key.push_back(static_cast<char16_t>(0xDC00u | static_cast<unsigned char>(name[0])));
            name.remove_prefix(1);
            continue;
        }
        name.remove_prefix(length);
        if (codePoint <= 0xFFFF) {
            key.push_back(mfUpperUnit(codePoint));
        } else {
            // Surrogate pairs have no case in a one-unit table: they compare as they are.
            const char32_t offset = codePoint - 0x10000;
            key.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            key.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        }
    }
    return key;
}

bool gfblnNameBefore(std::string_view left, std::string_view right)
{
    const std::u16string leftKey = gfstrNameKey(left);
    const std::u16string rightKey = gfstrNameKey(right);
    if (leftKey != rightKey)
        return leftKey < rightKey;
    return left < right;
}

bool gfblnSameName(std::string_view left, std::string_view right)
{
    return gfstrNameKey(left) == gfstrNameKey(right);
}

bool gfblnValidName(std::string_view name)
{
    if (name.empty() || name.size() > 255)
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/<>:\"|?*").find(c) != std::string_view::npos;
    });
}

// ---- Windows form to host form -------------------------------------------------------------

std::string gfstrWinePrefix()
{
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0')
        return prefix;
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return std::string(home) + "/.wine";
}

std::string gfstrJoinHost(std::string_view hostFolder, std::string_view name)
{
    std::string joined(hostFolder);
    if (joined.empty() || joined.back() != '/')
        joined += '/';
    joined += name;
    return joined;
}

PathMemory::PathMemory()
{
    ResolvedFolders& memory = mudtResolvedFolders();
    if (memory.Depth++ == 0)
        memory.Generation = ++memory.LastGeneration;
}

PathMemory::~PathMemory()
{
    ResolvedFolders& memory = mudtResolvedFolders();
    if (--memory.Depth == 0) {
        memory.Generation = 0;
        msCloseOpenFolder(memory);
        memory.LastFound = nullptr;
        memory.ByWindows.clear();
        if (memory.Changes >= 0)
            ::close(memory.Changes);
        memory.Changes = -1;
    }
}

std::uint64_t gflngPathMemoryGeneration() { return mudtResolvedFolders().Generation; }

int gfintOpenRemembered(std::string_view windowsPath, int flags)
{
    ResolvedFolders& memory = mudtResolvedFolders();
    const auto [folder, name] = mudtRememberedParts(memory, windowsPath);
    if (folder == nullptr || !gfblnValidName(name) || name == "." || name == "..")
        return -1;
#ifdef __linux__
    // Relative to the folder's own descriptor, so the host does not walk the folder's path
    // again for each of its entries.
    if (memory.OpenFolder != folder) {
        msCloseOpenFolder(memory);
        const int descriptor = ::open(folder->Host.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (descriptor < 0)
            return -1;
        memory.OpenFolder = folder;
        memory.OpenFolderDescriptor = descriptor;
    }
    // A valid name has at most 255 bytes: it is made a C string without an allocation.
    char terminated[256];
    name.copy(terminated, name.size());
    terminated[name.size()] = '\0';
    return ::openat(memory.OpenFolderDescriptor, terminated, flags);
#else
    return ::open(gfstrJoinHost(folder->Host, name).c_str(), flags);
#endif
}

bool gfblnRememberedMissing(std::string_view windowsPath)
{
    ResolvedFolders& memory = mudtResolvedFolders();
    const auto [folder, name] = mudtRememberedParts(memory, windowsPath);
    if (folder == nullptr || folder->Missing.empty() || !folder->Missing.contains(name))
        return false;
    return !mfblnFoldersChanged(memory);
}

std::string gfstrHostPath(std::string_view windowsPath, PathUse use)
{
    if (auto remembered = mfRememberedPath(windowsPath, use))
        return std::move(*remembered);
    const ParsedPath parsed = mfudtParse(windowsPath);
    if (parsed.Parts.empty()) {
        if (use == PathUse::Existing && !mfblnExists(parsed.Root))
            gsRaise(errPathNotFound);
        return parsed.Root;
    }

    // Nearly every path the program uses names an entry exactly: one look settles it.
    std::string direct = parsed.Root;
    for (const auto& part : parsed.Parts)
        direct = gfstrJoinHost(direct, part);
    if (mfblnExists(direct))
        return direct;
    if (errno != ENOENT && errno != ENOTDIR)
        gsRaisePathError(errno, PathPart::Last);
    return mfstrResolveParts(parsed.Root, parsed.Parts, use);
}

std::string gfstrHostChild(const std::string& hostFolder, std::string_view name, PathUse use)
{
    if (!gfblnValidName(name) || name == "." || name == "..")
        gsRaise(errBadFileName);
    return mfstrResolveParts(hostFolder, {std::string(name)}, use);
}

// ---- Host form to Windows form -------------------------------------------------------------

std::string gfstrWindowsPath(std::string_view hostPath)
{
    std::string absolute(hostPath);
    if (absolute.empty() || absolute[0] != '/')
        absolute = gfstrJoinHost(mfstrCurrentFolder(), absolute);
    const std::string path = mfCanonical(absolute).value_or(mfstrLexicallyNormal(absolute));

    const std::vector<Drive> drives = mfudtDrives();
    const Drive* best = nullptr;
    for (const Drive& drive : drives) {
        if (drive.Letter == 'Z' || !mfblnHolds(drive.Target, path))
            continue;
        if (best == nullptr || drive.Target.size() > best->Target.size() ||
            (drive.Target.size() == best->Target.size() && drive.Letter < best->Letter))
            best = &drive;
    }
    std::string rest = path;
    char letter = 'Z';
    if (best != nullptr) {
        letter = best->Letter;
        rest = path.substr(best->Target == "/" ? 0 : best->Target.size());
    } else {
        const auto z = std::find_if(drives.begin(), drives.end(), [](const Drive& d) { return d.Letter == 'Z'; });
        if (z != drives.end() && mfblnHolds(z->Target, path))
            rest = path.substr(z->Target == "/" ? 0 : z->Target.size());
    }
    std::replace(rest.begin(), rest.end(), '/', '\\');
    std::string windows{letter, ':'};
    windows += rest.empty() ? "\\" : rest;
    return windows;
}

// ---- Reading host folders ------------------------------------------------------------------

bool gfblnReadHostFolder(const std::string& hostFolder,
                         const std::function<void(std::string_view name, HostEntryType type)>& visit)
{
    struct CloseFolder {
        void operator()(DIR* folder) const noexcept { ::closedir(folder); }
    };
    const std::unique_ptr<DIR, CloseFolder> folder(::opendir(hostFolder.c_str()));
    if (!folder) {
        if (errno == ENOENT || errno == ENOTDIR)
            return false;
        gsRaisePathError(errno, PathPart::Last);
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(folder.get());
        if (entry == nullptr) {
            if (errno != 0)
                gsRaisePathError(errno, PathPart::Last);
            return true;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        HostEntryType type = HostEntryType::Unknown;
        switch (entry->d_type) {
        case DT_REG: type = HostEntryType::File; break;
        case DT_DIR: type = HostEntryType::Folder; break;
        case DT_LNK: type = HostEntryType::Link; break;
        case DT_UNKNOWN: type = HostEntryType::Unknown; break;
        default: type = HostEntryType::Other; break;
        }
        visit(name, type);
    }
}

} // namespace platform
