#pragma once
// Host folders as the host itself gives them: plain joining of host paths, whether an entry is
// there, and the raw listing of a folder.

#include "platform/Folders.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <sys/stat.h>

namespace platform::wine {

// The host path of `name` in `hostFolder` by plain joining (no lookup).
std::string gfstrJoinHost(std::string_view hostFolder, std::string_view name);

// True when the host path names an entry (a link to nothing included). When it is false, errno
// tells why.
bool gfblnHostEntryThere(const std::string& hostPath);

// True when the host path names a folder (links followed).
bool gfblnIsHostFolder(const std::string& hostPath);

// The canonical form of an existing host path (links followed, no "." or ".."), or nothing
// when it does not exist.
std::optional<std::string> gfstrCanonicalHost(const std::string& hostPath);

// The host's current folder.
std::string gfstrCurrentFolder();

// An open host file, closed when it goes.
class HostFile {
public:
    explicit HostFile(int fd = -1) : fd_(fd) {}
    ~HostFile();
    HostFile(HostFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    HostFile& operator=(HostFile&&) = delete;
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;

    int Fd() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

private:
    int fd_;
};

// A regular file opened for reading, with its status in `st`; nothing open when it cannot be
// opened or is anything else. It is opened without waiting: a named pipe in its place would
// otherwise keep us waiting for a writer.
HostFile gfOpenRegularHostFile(const std::string& hostPath, struct stat& st);

// Calls `visit` for each entry of a host folder other than "." and "..", in the host's order.
// Returns false, without calling `visit`, when the folder is missing or is not a folder; other
// failures raise.
bool gfblnReadHostFolder(const std::string& hostFolder,
                         const std::function<void(std::string_view name, HostEntryType type)>& visit);

} // namespace platform::wine
