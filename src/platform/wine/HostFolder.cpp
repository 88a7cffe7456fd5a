#include "platform/wine/HostFolder.h"

#include "platform/wine/HostErrors.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::wine {

std::string gfstrJoinHost(std::string_view hostFolder, std::string_view name)
{
    std::string joined(hostFolder);
    if (joined.empty() || joined.back() != '/')
        joined += '/';
    joined += name;
    return joined;
}

bool gfblnHostEntryThere(const std::string& hostPath)
{
    struct stat st {};
    return ::lstat(hostPath.c_str(), &st) == 0;
}

bool gfblnIsHostFolder(const std::string& hostPath)
{
    struct stat st {};
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::string> gfstrCanonicalHost(const std::string& hostPath)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(hostPath.c_str(), nullptr), &std::free);
    if (!resolved)
        return std::nullopt;
    return std::string(resolved.get());
}

std::string gfstrCurrentFolder()
{
    std::string buffer(PATH_MAX, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr)
        gsRaisePathError(errno, PathPart::OnTheWay);
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

bool gfblnReadHostFolder(const std::string& hostFolder,
                         const std::function<void(std::string_view name, HostEntryType type)>& visit)
{
    struct CloseFolder {
        void operator()(DIR* folder) const noexcept { ::closedir(folder); }
    };
    const std::unique_ptr<DIR, CloseFolder> folder(::opendir(hostFolder.c_str()));
    if (!folder) {
        if (gfblnNothingThere(errno))
            return false;
        gsRaisePathError(errno, PathPart::Last);
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(folder.get());
        if (entry == nullptr) {
            if (errno != 0)
                gsRaisePathError(errno, PathPart::Last);
            return true;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        HostEntryType type = HostEntryType::Unknown;
        switch (entry->d_type) {
        case DT_REG: type = HostEntryType::File; break;
        case DT_DIR: type = HostEntryType::Folder; break;
        case DT_LNK: type = HostEntryType::Link; break;
        case DT_UNKNOWN: type = HostEntryType::Unknown; break;
        default: type = HostEntryType::Other; break;
        }
        visit(name, type);
    }
}

HostFile::~HostFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

HostFile gfOpenRegularHostFile(const std::string& hostPath, struct stat& st)
{
    HostFile file(::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.IsOpen() && ::fstat(file.Fd(), &st) == 0 && S_ISREG(st.st_mode))
        return file;
    return HostFile();
}

} // namespace platform::wine
