#include "platform/PathText.h"

#include <atomic>

namespace platform {

bool gfblnIsSeparator(char c) { return c == '\\' || c == '/'; }

std::size_t gflngLastSeparator(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i) {
        if (gfblnIsSeparator(path[i - 1]))
            return i - 1;
    }
    return std::string_view::npos;
}

bool gfblnHasDriveLetter(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string gfstrReplacementPath(std::string_view path, std::size_t nameStart, unsigned long processId,
                                 unsigned attempt)
{
    static std::atomic<unsigned> written{0};
    return std::string(path.substr(0, nameStart)) + "." + std::string(path.substr(nameStart)) + "." +
           std::to_string(processId) + "-" + std::to_string(written++) + "-" + std::to_string(attempt) + ".tmp";
}

} // namespace platform
