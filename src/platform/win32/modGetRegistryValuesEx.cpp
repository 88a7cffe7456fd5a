#include "platform/modGetRegistryValuesEx.h"

#include "errors/Failure.h"
#include "platform/Names.h"
#include "platform/RegistryText.h"
#include "platform/win32/WideText.h"

#include <algorithm>
#include <memory>
#include <type_traits>

#include <windows.h>

namespace platform {

using namespace win32;

namespace {

const std::string kError = "ERROR";

struct KeyCloser {
    void operator()(HKEY key) const noexcept { ::RegCloseKey(key); }
};
using OpenKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// Opens a key for reading as the game sees it. The game is a 32-bit program: below the local
// machine's "Software" its keys are in the 32-bit view (Wow6432Node), so that view is tried
// first, and the 64-bit one only when it lacks the key. Read access only: the program must not
// need an administrator's rights to read the local machine's keys.
OpenKey mudtOpenKey(std::uint32_t root, std::string_view keyPath)
{
    const HKEY rootKey = root == glngHKEY_LOCAL_MACHINE ? HKEY_LOCAL_MACHINE
                         : root == glngHKEY_CURRENT_USER ? HKEY_CURRENT_USER
                                                         : nullptr;
    const auto path = gfstrWide(keyPath);
    if (rootKey == nullptr || !path)
        return nullptr;
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(rootKey, path->c_str(), 0, KEY_READ | view, &key) == ERROR_SUCCESS)
            return OpenKey(key);
    }
    return nullptr;
}

// The value's data as the registry holds it; false when the key has no such value.
bool mfblnQueryValue(HKEY key, const std::wstring& name, DWORD& type, std::string& data)
{
    DWORD size = 0;
    LONG status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    // The value may grow between the query of its size and the query of its data: then the
    // second query gives the new size, and the data is asked for again.
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 8; ++attempt) {
        data.assign(size, '\0');
        DWORD got = size;
        status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
        if (status == ERROR_SUCCESS) {
            data.resize(std::min<std::size_t>(got, data.size()));
            return true;
        }
        if (status == ERROR_MORE_DATA) {
            size = got;
            status = ERROR_SUCCESS;
        }
    }
    return false;
}

} // namespace

std::string gfstrGetRegistryValue(std::uint32_t root, const std::string& keyPath, const std::string& valueName,
                                  std::int32_t& bufferSize)
{
    if (bufferSize == 0)
        bufferSize = glngDefaultRegistryBuffer;
    if (bufferSize < 0)
        gsRaise(errInvalidCall);  // no buffer has a negative size

    const OpenKey key = mudtOpenKey(root, keyPath);
    const auto name = gfstrWide(valueName);
    if (!key || !name)
        return kError;
    // The 32-bit view without the value is "ERROR": the game, a 32-bit program, would not see
    // the 64-bit view's value either.
    DWORD type = 0;
    std::string data;
    if (!mfblnQueryValue(key.get(), *name, type, data))
        return kError;
    return gfstrRegistryValueText(type, data, bufferSize);
}

std::vector<std::string> gfstrGetRegistrySubkeys(std::uint32_t root, const std::string& keyPath)
{
    if (keyPath.empty())
        return {};
    const OpenKey key = mudtOpenKey(root, keyPath);
    if (!key)
        return {};

    std::vector<std::string> names;
    // A key's name is at most 255 units; the buffer grows should a registry ever hold more.
    std::wstring buffer(256, L'\0');
    for (DWORD index = 0;;) {
        auto length = static_cast<DWORD>(buffer.size());
        const LONG status =
            ::RegEnumKeyExW(key.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA && buffer.size() < 32768) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;  // ERROR_NO_MORE_ITEMS, or a key that went while it was listed
        names.push_back(gfstrNarrow(std::wstring_view(buffer.data(), length)));
        ++index;
    }
    // By name without regard to case, each name once, as the Wine host gives them.
    std::stable_sort(names.begin(), names.end(), [](const std::string& left, const std::string& right) {
        return gfstrNameKey(left) < gfstrNameKey(right);
    });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& left, const std::string& right) { return gfblnSameName(left, right); }),
                names.end());
    return names;
}

} // namespace platform
