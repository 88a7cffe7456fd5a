#include "platform/modWINAPI.h"

#include "errors/Failure.h"
#include "platform/PathText.h"
#include "platform/Paths.h"

#include <string_view>

namespace platform {

namespace {

// The caller's buffer: 260 characters, the terminator among them.
constexpr std::size_t kLongPathBuffer = 260;

// The length of UTF-8 text in UTF-16 units: one per character, two for a character past
// U+FFFF (a four-byte sequence). A stray continuation byte adds nothing.
std::size_t mflngUtf16Length(std::string_view text)
{
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0u) != 0x80u)
            units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

// The name, as stored on disk, of the entry a Windows-form path names: the last component of
// the host path the path layer finds for it (exact name first, else the caseless match).
std::string mfstrStoredName(std::string_view windowsPath)
{
    const std::string host = gfstrHostPath(windowsPath);
    return host.substr(host.find_last_of('/') + 1);
}

} // namespace

std::string gfstrGetLongPathName(const std::string& path)
{
    if (path.empty())
        return {};
    try {
        gfstrHostPath(path);  // the whole path must exist

        // Rebuilt piece by piece as written, each name replaced by the one on disk.
        std::string longPath;
        std::size_t next = 0;
        if (gfblnHasDriveLetter(path)) {
            longPath = path.substr(0, 2);
            next = 2;
        }
        while (next < path.size()) {
            if (gfblnIsSeparator(path[next])) {
                longPath += path[next++];
                continue;
            }
            std::size_t end = path.find_first_of("\\/", next);
            if (end == std::string::npos)
                end = path.size();
            const std::string_view name = std::string_view(path).substr(next, end - next);
            if (name == "." || name == "..")
                longPath += name;
            else
                longPath += mfstrStoredName(std::string_view(path).substr(0, end));
            next = end;
        }
        if (mflngUtf16Length(longPath) >= kLongPathBuffer)
            return {};  // the long form does not fit the buffer: the call gives nothing
        return longPath;
    } catch (const Failure&) {
        // The call reports any failure of the lookup (missing, bad name, refused) as no result.
        return {};
    }
}

} // namespace platform
