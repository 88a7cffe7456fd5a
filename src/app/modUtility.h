#pragma once
// File utilities: a breadth-first file search, a patient file delete, and a timed wait that
// keeps the user interface responsive.

#include "platform/Folders.h"

#include <cstdint>
#include <string>
#include <vector>

// Lists every file matching the pattern in the folder and all its subfolders (breadth-first),
// storing the full paths at elements 1..count of the list (element 0 unused); returns count.
std::int32_t gflngFindFiles(const std::string& startFolder, const std::string& pattern,
                            std::vector<std::string>& files);
// The same walk, each file with its folder and name kept beside its path, so that the caller
// can open it without resolving the path again.
std::int32_t gflngFindFiles(const std::string& startFolder, const std::string& pattern, platform::FoundFiles& files);

// Deletes the file when it exists, clearing its attributes first; a locked file gets six
// attempts with waits of 250 ms between them.
void gsKillFile(const std::string& path);

// Waits the given number of milliseconds while letting the user interface process events.
void gsDelay(std::int32_t milliseconds);
