#pragma once
// Folder listings, entry attributes, deleting files and making folders, by Windows-form path.
//
// Listings behave as a Windows directory search does under Wine: a wildcard pattern matched
// without regard to case, names that begin with "." hidden and never returned, and the names
// in NTFS order rather than the host's readdir order. Failures raise the error numbers of
// errors/Failure.h. Name rules and wildcards: platform/Names.h.

#include <compare>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Attribute bits, with their Windows values.
enum FileAttribute : std::int32_t {
    attrNormal = 0,
    attrReadOnly = 1,   // the owner may not write it
    attrHidden = 2,     // the name begins with "."
    attrSystem = 4,     // never set on this host
    attrDirectory = 16,
    attrArchive = 32,   // set on every file that is not a folder
};

enum class ListKind {
    Files,            // ordinary files only
    FilesAndFolders,  // ordinary files and folders
};

// Which folder a folder is on the host, so that a walk notices a link back into a folder it
// has already reached.
struct FolderIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Index = 0;
    auto operator<=>(const FolderIdentity&) const = default;
};

// The kind of a folder entry as the host listing reports it (Unknown when the host does not say).
enum class HostEntryType { File, Folder, Link, Other, Unknown };

// A folder resolved once: its Windows form as the program wrote it and the host folder it
// names. Entries below it are reached without resolving the folder's path again.
struct Folder {
    std::string Windows;
    std::string Host;
    FolderIdentity Identity;
};

// The folder a Windows-form path names, or nothing when no folder is there.
// Raises 52 for a bad name and the host's failures other than "not there".
std::optional<Folder> gudtFindFolder(std::string_view windowsPath);

// The subfolder `name` of a folder (Windows form: folder + "\" + name), or nothing when the
// entry is not a folder. Raises as gflngGetAttr does when the entry cannot be reached.
std::optional<Folder> gudtFindSubfolder(const Folder& parent, std::string_view name);

// The names in a folder that match a wildcard pattern ("*" any run, "?" one character,
// without regard to case; "*.*" matches every name and "name.*" also matches "name"), in NTFS
// order. Hidden names, "." and "..", and host names holding "\" (no Windows path can name
// them) are never returned. Files: regular files, links to them included. FilesAndFolders:
// also folders and links, a link to nothing included (reading its attributes then fails
// with 53). A folder that is not there lists nothing. A pattern with a separator or a
// character other than a wildcard that no name may hold raises 52.
std::vector<std::string> gfstrListFolder(const Folder& folder, std::string_view pattern, ListKind kind);

// One entry of a listing: its name and its kind as the host listing reported it.
struct FolderEntry {
    std::string Name;
    HostEntryType Type = HostEntryType::Unknown;
    bool operator==(const FolderEntry&) const = default;
};

// The entries gfstrListFolder would name, in the same order, each with its listed kind.
std::vector<FolderEntry> gudtListFolderEntries(const Folder& folder, std::string_view pattern, ListKind kind);

// The entries that gudtListFolderEntries(folder, pattern, ListKind::Files) would give, in the same
// order, taken from `listed`, what gudtListFolderEntries(folder, "*.*", ListKind::FilesAndFolders)
// gave, without reading the folder again: a walk that lists each folder for its subfolders has
// its files at hand. Only links and entries the listing gave no kind are asked of the host.
std::vector<FolderEntry> gudtFilesAmong(const Folder& folder, const std::vector<FolderEntry>& listed,
                                        std::string_view pattern);

// For hosts: whether an entry a listing of `folder` found is of the kind `kind` asks for, as the
// listing decides it (a link counts as what it leads to when only files are wanted).
bool gfblnListedKindWanted(const Folder& folder, const FolderEntry& entry, ListKind kind);

// The same for a Windows-form folder path followed by "\" and the pattern ("C:\x\*.package").
std::vector<std::string> gfstrListFolder(std::string_view windowsPathAndPattern, ListKind kind);

// True when the path names an entry of the kind that is not hidden (a directory search for
// that one name would find it). A missing entry or folder on the way is false; a bad name
// raises 52.
bool gfblnEntryExists(std::string_view windowsPath, ListKind kind);

// The attribute bits of an entry (links followed). Raises 52 for a bad name, 53 when the
// entry is not there (or is a link to nothing), 76 when a folder on the way is not there.
std::int32_t gflngGetAttr(std::string_view windowsPath);
std::int32_t gflngGetAttr(const Folder& folder, std::string_view name);

// Whether a listed entry of `folder` is a folder: the folder bit of gflngGetAttr(folder, name),
// raising as it does. The host is asked once per entry, except for an entry listed as a regular
// file after the host has answered for an earlier entry of the same folder (`folderAnswered`,
// false for the first entry of each folder): every folder on the way can then be searched, so
// reading its attributes could only find it not a folder, or fail as vanished (53).
bool gfblnIsFolderEntry(const Folder& folder, const FolderEntry& entry, bool& folderAnswered);

// A file found in a folder: its Windows-form path (folder + "\" + name), and the folder and
// the name it was found under, so that opening it looks the folder up no more.
struct FoundFile {
    std::string Path;
    std::shared_ptr<const Folder> In;
    std::string Name;
};

// Sets an entry's attributes to normal: clears read-only by giving the owner write permission.
void gsSetAttrNormal(std::string_view windowsPath);

// Deletes a file. A read-only file is refused with 70, as on Windows; a folder is 75.
void gsDeleteFile(std::string_view windowsPath);

// Makes a folder; the folders on the way must exist (76). An existing entry is 75.
void gsMakeFolder(std::string_view windowsPath);

// ---- Fault seam ----------------------------------------------------------------------------

// ReadWhole: a package read whole from the file its index read opened and held open since.
enum class FileOperation { GetAttr, SetAttrNormal, Delete, MakeFolder, OpenFile, ListFolder, ReadWhole };

// Called before each operation with the Windows form of the entry's path; a result other than
// 0 is raised as that error number instead of doing the operation. Tests use it for failures
// a host cannot be made to give on demand: a locked file (as root, permission bits do not stop
// deletion), a folder the user may not list, a device error. An empty hook removes it. A scan opens files on several threads
// at once, so the hook may be called on any of them; it is set only while no scan runs.
using FaultHook = std::function<std::int32_t(FileOperation operation, std::string_view windowsPath)>;
void gsSetFaultHook(FaultHook hook);

// For hosts: raises what the hook gives for this operation on this entry, if anything.
void gsCheckFileFault(FileOperation operation, std::string_view windowsPath);
void gsCheckFileFault(FileOperation operation, const Folder& folder, std::string_view name);

} // namespace platform
