// The host's upper-case table for name keys: the invariant locale's simple mapping, which is
// how Windows compares names regardless of the user's language.

#include "platform/Names.h"

#include <array>
#include <atomic>

#include <windows.h>

namespace platform {

namespace {

// Each unit's answer, kept once asked: a name key asks for every unit of every name that is not
// ASCII, and sorting a listing makes keys of every name. 0 is "not asked yet" (unit 0 is ASCII
// and never asked). Units are filled in any order, by any thread, with the same answer.
std::array<std::atomic<char16_t>, 0x10000> gchrUpperCache{};

char16_t mfchrAskHost(char16_t unit)
{
    const wchar_t in = unit;
    wchar_t out = 0;
    const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &in, 1, &out, 1, nullptr, nullptr, 0);
    return length == 1 ? static_cast<char16_t>(out) : unit;
}

} // namespace

char16_t gfchrUpperCaseUnit(char16_t unit)
{
    std::atomic<char16_t>& cached = gchrUpperCache[unit];
    char16_t upper = cached.load(std::memory_order_relaxed);
    if (upper == 0) {
        upper = mfchrAskHost(unit);
        cached.store(upper, std::memory_order_relaxed);
    }
    return upper;
}

} // namespace platform
