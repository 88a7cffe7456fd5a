#pragma once
// Finding the host entry a Windows-form path names, the way Wine does: each component matched
// by its exact name first, else by the one entry that equals it without regard to case.
// gfstrHostPath (platform/Paths.h) is the whole path's lookup; this is one component's.

#include "platform/Paths.h"

#include <string>
#include <string_view>

namespace platform::wine {

// The host path of the entry `name` in a host folder already resolved, matched as one path
// component is matched. Callers walking a folder tree use it so that the folder's own path is
// not resolved again for every entry.
// Failures: 52 an invalid name, "." or ".."; 53 no such entry (Existing only); 76 the folder
// is not there.
std::string gfstrHostChild(const std::string& hostFolder, std::string_view name, PathUse use);

} // namespace platform::wine
