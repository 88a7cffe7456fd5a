#include "app/modUtility.h"

#include "errors/modErrorTrap.h"
#include "platform/Clock.h"
#include "platform/Folders.h"
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

} // namespace

std::int32_t gflngFindFiles(const std::string& startFolder, const std::string& pattern,
                            std::vector<std::string>& files)
{
    platform::FoundFiles found;
    const std::int32_t count = gflngFindFiles(startFolder, pattern, found);
    // The list grows as the walk's own does: untouched when nothing is found.
    for (std::size_t i = 1; i < found.size(); ++i) {
        files.resize(i + 1);
        files[i] = found.Path(i);
    }
    return count;
}

std::int32_t gflngFindFiles(const std::string& startFolder, const std::string& pattern, platform::FoundFiles& files)
{
    std::int32_t result = 0;
    gfblnRunHandled(kModule, "gflngFindFiles", [&] {
        glngErrLocation = 1000;
        if (startFolder.empty())
            return;

        FolderList folders;
        // Each folder's listing, kept for the files below: one listing serves both passes.
        std::vector<std::vector<platform::FolderEntry>> listings;
        for (std::size_t index = 0;; ++index) {
            glngErrLocation = 2000;
            // The start folder is looked up here, where the walk first moves to it; a start
            // folder that is not there lists nothing, as a directory search finds nothing there.
            if (index == 0) {
                if (auto start = platform::gudtFindFolder(startFolder))
                    folders.Add(std::move(*start));
            }
            if (index >= folders.Count())
                break;
            const std::shared_ptr<const platform::Folder> found = folders.At(index);
            const platform::Folder& folder = *found;
            bool folderAnswered = false;
            listings.push_back(platform::gudtListFolderEntries(folder, "*.*", platform::ListKind::FilesAndFolders));
            for (const platform::FolderEntry& entry : listings.back()) {
                const std::string& name = entry.Name;
                glngErrLocation = 3000;
                gstrErrData = "Error Data = " + folder.Windows + "\\" + name;
                gfblnStepCompleted(
                    [&] {
                        // The folder bit of the entry's attributes.
                        if (!platform::gfblnIsFolderEntry(folder, entry, folderAnswered))
                            return;
                        if (auto subfolder = platform::gudtFindSubfolder(folder, name))
                            folders.Add(std::move(*subfolder));
                    },
                    // An entry with a bad name or one that vanished is skipped; the walk goes on.
                    [](const Failure& failure) {
                        return glngErrLocation == 3000 &&
                               (failure.Number() == errBadFileName || failure.Number() == errFileNotFound);
                    });
            }
        }

        glngErrLocation = 4000;
        gstrErrData.clear();
        std::int32_t count = 0;
        for (std::size_t index = 0; index < folders.Count(); ++index) {
            const std::shared_ptr<const platform::Folder> folder = folders.At(index);
            for (const platform::FolderEntry& file : platform::gudtFilesAmong(*folder, listings[index], pattern)) {
                ++count;
                files.Add(folder, file.Name);
            }
            std::vector<platform::FolderEntry>().swap(listings[index]);
        }
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
