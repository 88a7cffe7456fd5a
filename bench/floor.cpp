// clashwick-bench-floor: the least any scanner must do on a downloads folder. It walks the
// folder tree and reads each package's header and index, nothing more: host paths, readdir,
// and openat/pread/close relative to the open folder, so no path is looked up twice. Hidden
// entries are passed over, as the scan passes them over.
//
//   clashwick-bench-floor DOWNLOADS-FOLDER
//
// Prints the number of packages, of those whose index holds a behaviour resource outside the
// ignored group, and of index entries read, so that the work cannot be optimised away.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Totals {
    std::int64_t Packages = 0;
    std::int64_t Hacks = 0;
    std::int64_t Entries = 0;
};

std::uint32_t Read32(const unsigned char* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

bool IsPackageName(const char* name)
{
    const std::size_t length = std::strlen(name);
    return length >= 8 && strcasecmp(name + length - 8, ".package") == 0;
}

void ReadPackage(int folder, const char* name, std::vector<unsigned char>& buffer, Totals& totals)
{
    const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    unsigned char header[96];
    if (::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header)) {
        const std::uint32_t count = Read32(header + 36);
        const std::uint32_t offset = Read32(header + 40);
        const std::size_t width = Read32(header + 60) == 2 ? 24 : 20;
        ++totals.Packages;
        if (count > 0 && count < (1u << 24)) {
            buffer.resize(count * width);
            if (::pread(fd, buffer.data(), buffer.size(), offset) == static_cast<ssize_t>(buffer.size())) {
                bool hack = false;
                for (std::size_t i = 0; i < count; ++i) {
                    const unsigned char* entry = buffer.data() + i * width;
                    const std::uint32_t type = Read32(entry);
                    if ((type == 0x42484156 || type == 0x42434F4E || type == 0x54544142 || type == 0x54544173) &&
                        Read32(entry + 4) != 0xFFFFFFFF)
                        hack = true;
                }
                totals.Entries += count;
                totals.Hacks += hack;
            }
        }
    }
    ::close(fd);
}

void Walk(int parent, const char* name, std::vector<unsigned char>& buffer, Totals& totals)
{
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* folder = ::fdopendir(fd);
    if (folder == nullptr) {
        ::close(fd);
        return;
    }
    std::vector<std::string> subfolders;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;  // hidden, and "." and ".."
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st {};
            if (::fstatat(fd, entry->d_name, &st, 0) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR)
            subfolders.emplace_back(entry->d_name);
        else if (type == DT_REG && IsPackageName(entry->d_name))
            ReadPackage(fd, entry->d_name, buffer, totals);
    }
    for (const std::string& subfolder : subfolders)
        Walk(fd, subfolder.c_str(), buffer, totals);
    ::closedir(folder);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: clashwick-bench-floor DOWNLOADS-FOLDER\n");
        return 64;
    }
    Totals totals;
    std::vector<unsigned char> buffer;
    Walk(AT_FDCWD, argv[1], buffer, totals);
    std::printf("packages %lld, with hack code %lld, index entries %lld\n", static_cast<long long>(totals.Packages),
                static_cast<long long>(totals.Hacks), static_cast<long long>(totals.Entries));
    return totals.Packages > 0 ? 0 : 1;
}
