#include "platform/DateText.h"

#include <array>

#include <locale.h>

namespace platform {

namespace {

// The user's time locale (from LC_ALL / LC_TIME / LANG), or the C locale when that is unusable.
locale_t mudtTimeLocale()
{
    static const locale_t user = [] {
        locale_t chosen = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
        return chosen ? chosen : newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return user;
}

std::string mfstrFormat(const char* pattern, const std::tm& local)
{
    std::array<char, 128> text{};
    const std::size_t length = strftime_l(text.data(), text.size(), pattern, &local, mudtTimeLocale());
    return std::string(text.data(), length);
}

} // namespace

std::string gfstrGeneralDate(const std::tm& local)
{
    const std::string date = mfstrFormat("%x", local);
    if (local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0)
        return date;
    return date + " " + mfstrFormat("%X", local);
}

std::string gfstrGeneralDateNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return gfstrGeneralDate(local);
}

} // namespace platform
