#include "platform/Folders.h"

#include "errors/Failure.h"
#include "platform/Names.h"
#include "platform/Paths.h"
#include "platform/wine/HostErrors.h"
#include "platform/wine/HostFolder.h"
#include "platform/wine/PathResolve.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

using namespace wine;

namespace {

bool mfblnIsMissing(const Failure& failure)
{
    return failure.Number() == errFileNotFound || failure.Number() == errPathNotFound;
}

std::string_view mfstrBaseName(std::string_view hostPath)
{
    const auto slash = hostPath.rfind('/');
    return slash == std::string_view::npos ? hostPath : hostPath.substr(slash + 1);
}

bool mfblnHidden(std::string_view name) { return !name.empty() && name.front() == '.'; }

std::int32_t mflngAttributes(std::string_view name, const struct stat& st)
{
    std::int32_t attributes = S_ISDIR(st.st_mode) ? attrDirectory : attrArchive;
    if ((st.st_mode & S_IWUSR) == 0)
        attributes |= attrReadOnly;
    if (mfblnHidden(name))
        attributes |= attrHidden;
    return attributes;
}

// Resolves the entry `name` of a folder and reads its status (links followed). The entry is
// nearly always there by its exact name, as a listing returned it: one stat settles it.
std::string mfstrStatChild(const Folder& folder, std::string_view name, struct stat& st)
{
    if (!gfblnEntryName(name))
        gsRaise(errBadFileName);
    std::string host = gfstrJoinHost(folder.Host, name);
    if (::stat(host.c_str(), &st) == 0)
        return host;
    if (errno != ENOENT)
        gsRaisePathError(errno, PathPart::Last);
    // Not there by its exact name, or a link to nothing: look it up as a path component.
    host = gfstrHostChild(folder.Host, name, PathUse::Existing);
    if (::stat(host.c_str(), &st) != 0)
        gsRaisePathError(errno, PathPart::Last);
    return host;
}

bool mfblnKindWanted(const Folder& folder, std::string_view name, HostEntryType type, ListKind kind)
{
    switch (type) {
    case HostEntryType::File: return true;
    case HostEntryType::Folder: return kind == ListKind::FilesAndFolders;
    case HostEntryType::Other: return false;
    case HostEntryType::Link:
        if (kind == ListKind::FilesAndFolders)
            return true;  // a link to nothing too: reading its attributes tells
        break;
    case HostEntryType::Unknown: break;
    }
    struct stat st {};
    const std::string host = gfstrJoinHost(folder.Host, name);
    if (kind == ListKind::Files)
        return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    return ::lstat(host.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode));
}

} // namespace

// ---- Folders -------------------------------------------------------------------------------

std::optional<Folder> gudtFindFolder(std::string_view windowsPath)
{
    std::string host;
    try {
        host = gfstrHostPath(windowsPath);
    } catch (const Failure& failure) {
        if (mfblnIsMissing(failure))
            return std::nullopt;
        throw;
    }
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) {
        if (gfblnNothingThere(errno))
            return std::nullopt;
        gsRaisePathError(errno, PathPart::Last);
    }
    if (!S_ISDIR(st.st_mode))
        return std::nullopt;
    return Folder{std::string(windowsPath), std::move(host), {st.st_dev, st.st_ino}};
}

std::optional<Folder> gudtFindSubfolder(const Folder& parent, std::string_view name)
{
    struct stat st {};
    std::string host = mfstrStatChild(parent, name, st);
    if (!S_ISDIR(st.st_mode))
        return std::nullopt;
    return Folder{parent.Windows + "\\" + std::string(name), std::move(host), {st.st_dev, st.st_ino}};
}

// ---- Listing -------------------------------------------------------------------------------

std::vector<FolderEntry> gudtListFolderEntries(const Folder& folder, std::string_view pattern, ListKind kind)
{
    gsCheckFileFault(FileOperation::ListFolder, folder.Windows);
    if (!gfblnValidPattern(pattern))
        gsRaise(errBadFileName);
    const std::u16string patternKey = gfstrNameKey(pattern);

    struct Entry {
        std::u16string Key;
        FolderEntry Listed;
    };
    std::vector<Entry> entries;
    gfblnReadHostFolder(folder.Host, [&](std::string_view name, HostEntryType type) {
        // Hidden names are never returned; nor a name with "\", which a Windows path would
        // split in two and so never reach again.
        if (mfblnHidden(name) || name.find('\\') != std::string_view::npos)
            return;
        std::u16string key = gfstrNameKey(name);
        if (gfblnPatternKeyMatches(patternKey, key) && mfblnKindWanted(folder, name, type, kind))
            entries.push_back({std::move(key), {std::string(name), type}});
    });

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
    std::string host;
    try {
        host = gfstrHostPath(windowsPath);
    } catch (const Failure& failure) {
        if (mfblnIsMissing(failure))
            return false;
        throw;
    }
    if (mfblnHidden(mfstrBaseName(host)))
        return false;
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) {
        if (gfblnNothingThere(errno))
            return false;
        gsRaisePathError(errno, PathPart::Last);
    }
    return S_ISREG(st.st_mode) || (kind == ListKind::FilesAndFolders && S_ISDIR(st.st_mode));
}

std::int32_t gflngGetAttr(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::GetAttr, windowsPath);
    const std::string host = gfstrHostPath(windowsPath);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0)
        gsRaisePathError(errno, PathPart::Last);
    return mflngAttributes(mfstrBaseName(host), st);
}

std::int32_t gflngGetAttr(const Folder& folder, std::string_view name)
{
    gsCheckFileFault(FileOperation::GetAttr, folder, name);
    struct stat st {};
    const std::string host = mfstrStatChild(folder, name, st);
    return mflngAttributes(mfstrBaseName(host), st);
}

bool gfblnIsFolderEntry(const Folder& folder, const FolderEntry& entry, bool& folderAnswered)
{
    gsCheckFileFault(FileOperation::GetAttr, folder, entry.Name);
    // A regular file is no folder (its listed kind is not that of a link), and once the host
    // has answered for this folder, asking again could only tell that the entry has vanished,
    // which the caller would pass over just the same. The name is checked first, as the read
    // checks it.
    if (entry.Type == HostEntryType::File && folderAnswered && gfblnValidName(entry.Name))
        return false;
    struct stat st {};
    mfstrStatChild(folder, entry.Name, st);
    folderAnswered = true;
    return S_ISDIR(st.st_mode);
}

void gsSetAttrNormal(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::SetAttrNormal, windowsPath);
    const std::string host = gfstrHostPath(windowsPath);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0)
        gsRaisePathError(errno, PathPart::Last);
    if ((st.st_mode & S_IWUSR) != 0)
        return;
    if (::chmod(host.c_str(), static_cast<mode_t>((st.st_mode & 07777) | S_IWUSR)) != 0)
        gsRaisePathError(errno, PathPart::Last);
}

void gsDeleteFile(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::Delete, windowsPath);
    const std::string host = gfstrHostPath(windowsPath);
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0)
        gsRaisePathError(errno, PathPart::Last);
    if (S_ISDIR(st.st_mode))
        gsRaise(errPathFileAccess);
    // Windows refuses to delete a read-only file; the host would not, so the refusal is ours.
    if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        gsRaise(errPermission);
    if (::unlink(host.c_str()) != 0)
        gsRaisePathError(errno, PathPart::Last);
}

void gsMakeFolder(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::MakeFolder, windowsPath);
    const std::string host = gfstrHostPath(windowsPath, PathUse::ToCreate);
    if (::mkdir(host.c_str(), 0777) != 0)
        gsRaisePathError(errno, PathPart::Last);
}

} // namespace platform
