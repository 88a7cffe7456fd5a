#include "platform/Folders.h"

#include "errors/Failure.h"
#include "platform/Names.h"
#include "platform/Paths.h"
#include "platform/win32/HostErrors.h"
#include "platform/win32/HostPath.h"
#include "platform/win32/WideText.h"

#include <algorithm>
#include <utility>

#include <windows.h>

namespace platform {

using namespace win32;

namespace {

// The attribute bits the program knows; the host's others (compressed, not indexed, a cloud
// file's pin state, ...) say nothing it asks about.
constexpr DWORD kKnownAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;

// A directory search never shows hidden or system entries to the program: Windows' own
// hidden files (desktop.ini, thumbs.db) and anything a user has hidden.
bool mfblnHidden(DWORD attributes) { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }

bool mfblnIsDirectory(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// What the entry a path names leads to, links followed: the one call that reads a file's or a
// folder's information. FILE_FLAG_BACKUP_SEMANTICS lets it open a folder; asking only for its
// attributes needs no right to read it. False with the host's error as the last error.
bool mfblnReadTarget(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info)
{
    const HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const BOOL read = ::GetFileInformationByHandle(handle, &info);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    ::SetLastError(error);
    return read != FALSE;
}

FolderIdentity mfudtIdentity(const BY_HANDLE_FILE_INFORMATION& info)
{
    return {info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The attributes of an entry, links followed; false with the host's error as the last error.
// GetFileAttributesW reads the entry itself: only a reparse point needs opening to follow it.
bool mfblnReadAttributes(const std::wstring& path, DWORD& attributes)
{
    attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return true;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!mfblnReadTarget(path, info))
        return false;  // a link to nothing: ERROR_FILE_NOT_FOUND, 53
    attributes = info.dwFileAttributes;
    return true;
}

std::int32_t mflngAttributesOrRaise(const std::wstring& path)
{
    DWORD attributes = 0;
    if (!mfblnReadAttributes(path, attributes))
        gsRaiseLastError();
    return static_cast<std::int32_t>(attributes & kKnownAttributes);
}

// The host path of the entry `name` of a folder; 52 for a name no entry can have.
std::string mfstrChild(const Folder& folder, std::string_view name)
{
    if (!gfblnEntryName(name))
        gsRaise(errBadFileName);
    return gfstrJoinHost(folder.Host, name);
}

// The kind of an entry from its own attributes as the listing gives them. Only a reparse point
// that stands for another entry (a symbolic link, a junction) is a link; others, such as a
// cloud file's placeholder or a deduplicated file, are the file or folder they hold.
HostEntryType mfudtEntryType(const WIN32_FIND_DATAW& found)
{
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(found.dwReserved0))
        return HostEntryType::Link;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0)
        return HostEntryType::Other;
    return mfblnIsDirectory(found.dwFileAttributes) ? HostEntryType::Folder : HostEntryType::File;
}

bool mfblnKindWanted(const Folder& folder, std::string_view name, HostEntryType type, ListKind kind)
{
    switch (type) {
    case HostEntryType::File: return true;
    case HostEntryType::Folder: return kind == ListKind::FilesAndFolders;
    case HostEntryType::Link:
        if (kind == ListKind::FilesAndFolders)
            return true;  // a link to nothing too: reading its attributes tells
        break;
    case HostEntryType::Other:
    case HostEntryType::Unknown: return false;
    }
    // Files: a link counts as the file it leads to.
    BY_HANDLE_FILE_INFORMATION info{};
    return mfblnReadTarget(gfstrWidePath(gfstrJoinHost(folder.Host, name)), info) &&
           !mfblnIsDirectory(info.dwFileAttributes);
}

// Closes a search handle when it goes.
class FolderSearch {
public:
    explicit FolderSearch(HANDLE handle) : handle_(handle) {}
    ~FolderSearch()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::FindClose(handle_);
    }
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;
    HANDLE Handle() const { return handle_; }

private:
    HANDLE handle_;
};

} // namespace

// ---- Folders -------------------------------------------------------------------------------

std::optional<Folder> gudtFindFolder(std::string_view windowsPath)
{
    const std::wstring wide = gfstrWidePath(windowsPath);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!mfblnReadTarget(wide, info)) {
        const DWORD error = ::GetLastError();
        if (gfblnNothingThere(error))
            return std::nullopt;
        gsRaiseHostError(error);
    }
    if (!mfblnIsDirectory(info.dwFileAttributes))
        return std::nullopt;
    // The full path, so that entries below are reached wherever the current folder goes later.
    return Folder{std::string(windowsPath), gfstrWindowsPath(windowsPath), mfudtIdentity(info)};
}

std::optional<Folder> gudtFindSubfolder(const Folder& parent, std::string_view name)
{
    std::string host = mfstrChild(parent, name);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!mfblnReadTarget(gfstrWidePath(host), info))
        gsRaiseLastError();
    if (!mfblnIsDirectory(info.dwFileAttributes))
        return std::nullopt;
    return Folder{parent.Windows + "\\" + std::string(name), std::move(host), mfudtIdentity(info)};
}

// ---- Listing -------------------------------------------------------------------------------

std::vector<FolderEntry> gudtListFolderEntries(const Folder& folder, std::string_view pattern, ListKind kind)
{
    gsCheckFileFault(FileOperation::ListFolder, folder.Windows);
    if (!gfblnValidPattern(pattern))
        gsRaise(errBadFileName);
    const std::u16string patternKey = gfstrNameKey(pattern);

    // Every entry is asked for and the pattern matched here: the host's own matching would also
    // match the 8.3 names ("*.pac" finds "LONGNA~1.PAC" for every ".package"), and the names must
    // match by the same keys on every host.
    std::wstring search = gfstrWidePath(folder.Host);
    if (!search.empty() && search.back() != L'\\' && search.back() != L'/')
        search += L'\\';
    search += L'*';
    WIN32_FIND_DATAW found{};
    const FolderSearch handle(::FindFirstFileExW(search.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                                 nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (handle.Handle() == INVALID_HANDLE_VALUE) {
        // A folder that is not there lists nothing; nor does an empty drive root, which has no
        // "." and ".." for the search to find (ERROR_FILE_NOT_FOUND).
        const DWORD error = ::GetLastError();
        if (gfblnNothingThere(error))
            return {};
        gsRaiseHostError(error);
    }

    struct Entry {
        std::u16string Key;
        FolderEntry Listed;
    };
    std::vector<Entry> entries;
    do {
        const std::wstring_view wideName(found.cFileName);
        if (wideName == L"." || wideName == L".." || mfblnHidden(found.dwFileAttributes))
            continue;
        std::string name = gfstrNarrow(wideName);
        std::u16string key = gfstrNameKey(name);
        if (!gfblnPatternKeyMatches(patternKey, key))
            continue;
        const HostEntryType type = mfudtEntryType(found);
        if (mfblnKindWanted(folder, name, type, kind))
            entries.push_back({std::move(key), {std::move(name), type}});
    } while (::FindNextFileW(handle.Handle(), &found));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES)
        gsRaiseHostError(error);

    // NTFS lists in this order already; sorting by the shared keys makes it the Wine host's
    // order too, whatever the file system, so reports are the same on both hosts.
    std::sort(entries.begin(), entries.end(), [](const Entry& left, const Entry& right) {
        return left.Key != right.Key ? left.Key < right.Key : left.Listed.Name < right.Listed.Name;
    });
    std::vector<FolderEntry> listed;
    listed.reserve(entries.size());
    for (Entry& entry : entries)
        listed.push_back(std::move(entry.Listed));
    return listed;
}

bool gfblnListedKindWanted(const Folder& folder, const FolderEntry& entry, ListKind kind)
{
    return mfblnKindWanted(folder, entry.Name, entry.Type, kind);
}

// ---- Entries -------------------------------------------------------------------------------

bool gfblnEntryExists(std::string_view windowsPath, ListKind kind)
{
    const std::wstring wide = gfstrWidePath(windowsPath);
    // Hidden as the entry itself is marked, as the search for its name would see it.
    const DWORD own = ::GetFileAttributesW(wide.c_str());
    if (own == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (gfblnNothingThere(error))
            return false;
        gsRaiseHostError(error);
    }
    if (mfblnHidden(own))
        return false;
    DWORD attributes = own;
    if ((own & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!mfblnReadTarget(wide, info)) {
            const DWORD error = ::GetLastError();
            if (gfblnNothingThere(error))
                return false;  // a link to nothing
            gsRaiseHostError(error);
        }
        attributes = info.dwFileAttributes;
    }
    return !mfblnIsDirectory(attributes) || kind == ListKind::FilesAndFolders;
}

std::int32_t gflngGetAttr(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::GetAttr, windowsPath);
    return mflngAttributesOrRaise(gfstrWidePath(windowsPath));
}

std::int32_t gflngGetAttr(const Folder& folder, std::string_view name)
{
    gsCheckFileFault(FileOperation::GetAttr, folder, name);
    return mflngAttributesOrRaise(gfstrWidePath(mfstrChild(folder, name)));
}

bool gfblnIsFolderEntry(const Folder& folder, const FolderEntry& entry, bool& folderAnswered)
{
    gsCheckFileFault(FileOperation::GetAttr, folder, entry.Name);
    // A plain file is no folder (the listing read its own attributes, and it is no link), and
    // once the host has answered for this folder, asking again could only tell that the entry
    // has vanished, which the caller would pass over just the same. The name is checked first,
    // as the read checks it.
    if (entry.Type == HostEntryType::File && folderAnswered && gfblnValidName(entry.Name))
        return false;
    const std::int32_t attributes = mflngAttributesOrRaise(gfstrWidePath(mfstrChild(folder, entry.Name)));
    folderAnswered = true;
    return (attributes & attrDirectory) != 0;
}

void gsSetAttrNormal(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::SetAttrNormal, windowsPath);
    if (!::SetFileAttributesW(gfstrWidePath(windowsPath).c_str(), FILE_ATTRIBUTE_NORMAL))
        gsRaiseLastError();
}

void gsDeleteFile(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::Delete, windowsPath);
    const std::wstring wide = gfstrWidePath(windowsPath);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        gsRaiseLastError();
    if (mfblnIsDirectory(attributes))
        gsRaise(errPathFileAccess);
    // A read-only file is refused (70). DeleteFileW refuses it too, but not on every file system
    // (a share, Wine's as root): the attribute decides here. A link goes whatever it leads to.
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_READONLY)
        gsRaise(errPermission);
    if (!::DeleteFileW(wide.c_str()))
        gsRaiseLastError();
}

void gsMakeFolder(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::MakeFolder, windowsPath);
    if (!::CreateDirectoryW(gfstrWidePath(windowsPath).c_str(), nullptr))
        gsRaiseLastError();
}

} // namespace platform
