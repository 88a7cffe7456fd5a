#include "app/modUtility.h"

#include "errors/modErrorTrap.h"
#include "platform/Clock.h"
#include "platform/Folders.h"
#include "platform/Names.h"
#include "platform/WindowServices.h"

#include <memory>
#include <set>
#include <utility>

namespace {

constexpr std::string_view kModule = "modUtility";

// The folder list of the breadth-first walk: the start folder, then each subfolder in the
// order found. A folder reached a second time through a link is not added again, so a link
// pointing back up the tree cannot make the walk endless.
class FolderList {
public:
    void Add(platform::Folder folder)
    {
        if (seen_.insert(folder.Identity).second)
            folders_.push_back(std::make_shared<const platform::Folder>(std::move(folder)));
    }
    std::size_t Count() const { return folders_.size(); }
    // Shared: the list may grow while the folder is being listed, and found files keep it.
    std::shared_ptr<const platform::Folder> At(std::size_t index) const { return folders_[index]; }
    const std::vector<std::shared_ptr<const platform::Folder>>& All() const { return folders_; }

private:
    std::vector<std::shared_ptr<const platform::Folder>> folders_;
    std::set<platform::FolderIdentity> seen_;
};

// Hands a folder or entry that failed on its own to `unlisted`, when there is one, so that the
// walk passes it over; false for any other failure, which ends the walk.
bool mfblnPassOver(const UnlistedSink& unlisted, const std::string& windowsPath, const Failure& failure)
{
    if (!unlisted || !gfblnFailureOfOneEntry(failure))
        return false;
    unlisted(windowsPath, failure);
    return true;
}

} // namespace

std::int32_t gflngFindFiles(const std::string& startFolder, const std::string& pattern,
                            std::vector<std::string>& files)
{
    std::vector<std::string> found;
    const std::int32_t count =
        gflngFindFiles(startFolder, pattern,
                       [&found](const std::shared_ptr<const platform::Folder>& folder, std::vector<std::string>&& names) {
                           for (const std::string& name : names)
                               found.push_back(folder->Windows + "\\" + name);
                       });
    // The list takes the files of a walk that ended well, and is untouched when nothing is found.
    if (static_cast<std::size_t>(count) == found.size()) {
        for (std::size_t i = 0; i < found.size(); ++i) {
            files.resize(i + 2);
            files[i + 1] = std::move(found[i]);
        }
    }
    return count;
}

std::int32_t gflngFindFiles(const std::string& startFolder, const std::string& pattern, const FoundFileSink& found,
                            const UnlistedSink& unlisted)
{
    std::int32_t result = 0;
    gfblnRunHandled(kModule, "gflngFindFiles", [&] {
        glngErrLocation = 1000;
        if (startFolder.empty())
            return;

        FolderList folders;
        // The files of each folder come from the listing that found its subfolders, and are
        // handed over as soon as that listing is done: the folders are listed in list order.
        // A pattern no name may hold is refused where the walk turns to files, after every folder.
        const bool validPattern = platform::gfblnValidPattern(pattern);
        std::vector<std::vector<platform::FolderEntry>> listings;
        std::int32_t count = 0;
        const auto handOver = [&](const std::shared_ptr<const platform::Folder>& folder,
                                  const std::vector<platform::FolderEntry>& listed) {
            std::vector<std::string> names;
            for (platform::FolderEntry& file : platform::gudtFilesAmong(*folder, listed, pattern))
                names.push_back(std::move(file.Name));
            if (names.empty())
                return;
            count += static_cast<std::int32_t>(names.size());
            found(folder, std::move(names));
        };
        for (std::size_t index = 0;; ++index) {
            glngErrLocation = 2000;
            // The start folder is looked up here, where the walk first moves to it; a start
            // folder that is not there lists nothing, as a directory search finds nothing there.
            if (index == 0) {
                gstrErrData = "Error Data = " + startFolder;
                if (auto start = platform::gudtFindFolder(startFolder))
                    folders.Add(std::move(*start));
            }
            if (index >= folders.Count())
                break;
            const std::shared_ptr<const platform::Folder> shared = folders.At(index);
            const platform::Folder& folder = *shared;
            // A failure to list the folder names the folder, not the last entry of the one before.
            gstrErrData = "Error Data = " + folder.Windows;
            std::vector<platform::FolderEntry> listed;
            if (!gfblnStepCompleted(
                    [&] { listed = platform::gudtListFolderEntries(folder, "*.*", platform::ListKind::FilesAndFolders); },
                    [&](const Failure& failure) { return index > 0 && mfblnPassOver(unlisted, folder.Windows, failure); }))
                continue;
            bool folderAnswered = false;
            for (const platform::FolderEntry& entry : listed) {
                const std::string& name = entry.Name;
                glngErrLocation = 3000;
                gstrErrData.Assign("Error Data = ").Append(folder.Windows).Append("\\").Append(name);
                gfblnStepCompleted(
                    [&] {
                        // The folder bit of the entry's attributes.
                        if (!platform::gfblnIsFolderEntry(folder, entry, folderAnswered))
                            return;
                        if (auto subfolder = platform::gudtFindSubfolder(folder, name))
                            folders.Add(std::move(*subfolder));
                    },
                    // An entry with a bad name or one that vanished is skipped; the walk goes on.
                    [&](const Failure& failure) {
                        if (failure.Number() == errBadFileName || failure.Number() == errFileNotFound)
                            return true;
                        // A file's own failure is told when it is opened.
                        if (unlisted && entry.Type == platform::HostEntryType::File && gfblnFailureOfOneEntry(failure))
                            return true;
                        return mfblnPassOver(unlisted, folder.Windows + "\\" + name, failure);
                    });
            }
            if (validPattern)
                handOver(shared, listed);
            else
                listings.push_back(std::move(listed));
        }

        glngErrLocation = 4000;
        gstrErrData.clear();
        for (std::size_t index = 0; index < listings.size(); ++index)
            handOver(folders.At(index), listings[index]);  // raises 52 for the pattern
        result = count;
        gstrErrData.clear();
    });
    return result;
}

void gsKillFile(const std::string& path)
{
    std::int32_t attempts = 0;
    gfblnRunHandled(kModule, "gsKillFile", [&] {
        glngErrLocation = 1000;
        if (!platform::gfblnEntryExists(path, platform::ListKind::Files))
            return;
        // A file another program holds open refuses with 70: it gets six attempts in all, with a
        // wait of 250 ms after each of the first five. Attributes and deletion both run again.
        while (!gfblnStepCompleted(
            [&] {
                platform::gsSetAttrNormal(path);
                platform::gsDeleteFile(path);
            },
            [&](const Failure& failure) { return failure.Number() == errPermission && ++attempts < 6; }))
            gsDelay(250);
    });
}

void gsDelay(std::int32_t milliseconds)
{
    const std::uint32_t start = platform::gflngTimeGetTime();
    // Each test reads the clock twice, once for each comparison. The end is reckoned without
    // wrapping, so a wait that would run past the wrap ends when the clock wraps.
    const auto over = [&] {
        const bool reached = static_cast<std::int64_t>(platform::gflngTimeGetTime()) >=
                             static_cast<std::int64_t>(start) + milliseconds;
        const bool wrapped = platform::gflngTimeGetTime() < start;
        return reached || wrapped;
    };
    while (!over())
        platform::gudtWindowServices().ProcessEvents();
}
