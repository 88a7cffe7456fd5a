// What every host shares of folder work: the listings by name, the search by path and
// pattern, and the fault seam.

#include "platform/Folders.h"

#include "errors/Failure.h"
#include "platform/Names.h"
#include "platform/PathText.h"

#include <utility>

namespace platform {

namespace {

FaultHook& mudtFaultHook()
{
    static FaultHook hook;
    return hook;
}

} // namespace

std::vector<std::string> gfstrListFolder(const Folder& folder, std::string_view pattern, ListKind kind)
{
    std::vector<std::string> names;
    for (FolderEntry& entry : gudtListFolderEntries(folder, pattern, kind))
        names.push_back(std::move(entry.Name));
    return names;
}

std::vector<FolderEntry> gudtFilesAmong(const Folder& folder, const std::vector<FolderEntry>& listed,
                                        std::string_view pattern)
{
    if (!gfblnValidPattern(pattern))
        gsRaise(errBadFileName);
    const std::u16string patternKey = gfstrNameKey(pattern);
    std::vector<FolderEntry> files;
    for (const FolderEntry& entry : listed)
        if (entry.Type != HostEntryType::Folder && gfblnPatternKeyMatchesName(patternKey, entry.Name) &&
            gfblnListedKindWanted(folder, entry, ListKind::Files))
            files.push_back(entry);
    return files;
}

std::vector<std::string> gfstrListFolder(std::string_view windowsPathAndPattern, ListKind kind)
{
    std::string_view folderPart;
    std::string_view pattern = windowsPathAndPattern;
    const auto separator = gflngLastSeparator(windowsPathAndPattern);
    if (separator != std::string_view::npos) {
        // "\*.x" and "C:\*.x" search the root, which keeps its separator.
        const bool root = separator == 0 || (separator == 2 && windowsPathAndPattern[1] == ':');
        folderPart = windowsPathAndPattern.substr(0, root ? separator + 1 : separator);
        pattern = windowsPathAndPattern.substr(separator + 1);
    } else if (gfblnHasDriveLetter(windowsPathAndPattern)) {
        folderPart = windowsPathAndPattern.substr(0, 2);
        pattern = windowsPathAndPattern.substr(2);
    }
    if (!gfblnValidPattern(pattern))
        gsRaise(errBadFileName);
    const auto folder = gudtFindFolder(folderPart);
    if (!folder)
        return {};
    return gfstrListFolder(*folder, pattern, kind);
}

void gsSetFaultHook(FaultHook hook) { mudtFaultHook() = std::move(hook); }

void gsCheckFileFault(FileOperation operation, std::string_view windowsPath)
{
    if (const FaultHook& hook = mudtFaultHook()) {
        if (const std::int32_t number = hook(operation, windowsPath))
            gsRaise(number);
    }
}

void gsCheckFileFault(FileOperation operation, const Folder& folder, std::string_view name)
{
    if (mudtFaultHook())
        gsCheckFileFault(operation, folder.Windows + "\\" + std::string(name));
}

} // namespace platform
