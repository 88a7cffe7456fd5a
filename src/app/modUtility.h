#pragma once
// File utilities: a breadth-first file search, a patient file delete, and a timed wait that
// keeps the user interface responsive.

#include "errors/Failure.h"
#include "platform/Folders.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Lists every file matching the pattern in the folder and all its subfolders (breadth-first),
// storing the full paths at elements 1..count of the list (element 0 unused); returns count.
std::int32_t gflngFindFiles(const std::string& startFolder, const std::string& pattern,
                            std::vector<std::string>& files);
// The same walk, handing each folder's files to `found` together as soon as the folder has been
// listed, as the folder they were found in and their names there, in list order, so that the caller can open it without resolving
// the path again (and start on it while the walk goes on); its path is the folder's Windows form,
// "\" and the name. The files come in list order; a walk that fails hands over what it found
// before the failure and returns 0, as the list form does.
//
// With `unlisted`, a folder below the start folder that cannot be listed, or an entry whose kind
// cannot be read, is handed to it with its path and the failure (a folder the user may not read,
// one that vanished or became a file meanwhile) and passed over, and the walk goes on. Only the
// start folder's own failures, and failures that are not about one entry, still end the walk.
// Without it, such a failure ends the walk as any other. An entry that the host lists as a file
// is never handed to `unlisted`: when it matches the pattern it is handed over as a file, and
// opening it tells why it cannot be read.
using FoundFileSink =
    std::function<void(const std::shared_ptr<const platform::Folder>& folder, std::vector<std::string>&& names)>;
using UnlistedSink = std::function<void(const std::string& windowsPath, const Failure& failure)>;
std::int32_t gflngFindFiles(const std::string& startFolder, const std::string& pattern, const FoundFileSink& found,
                            const UnlistedSink& unlisted = {});

// Deletes the file when it exists, clearing its attributes first; a locked file gets six
// attempts with waits of 250 ms between them.
void gsKillFile(const std::string& path);

// Waits the given number of milliseconds while letting the user interface process events.
void gsDelay(std::int32_t milliseconds);
