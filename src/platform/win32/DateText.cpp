#include "platform/DateText.h"

#include "platform/win32/WideText.h"

#include <algorithm>

#include <windows.h>

namespace platform {

using namespace win32;

namespace {

// One date or time form of the user's locale; empty when the call refuses the time given.
template <class FormatCall>
std::string mfstrFormat(FormatCall call)
{
    const int size = call(nullptr, 0);  // the units needed, terminator included
    if (size <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    const int written = call(text.data(), size);
    if (written <= 0)
        return {};
    text.resize(static_cast<std::size_t>(written - 1));
    return gfstrNarrow(text);
}

// The general date form: the short date, and the time of day in the locale's long form (the
// time format's default) unless it is exactly midnight.
std::string mfstrGeneralDate(const SYSTEMTIME& when)
{
    const std::string date = mfstrFormat([&](wchar_t* out, int size) {
        return ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, out, size);
    });
    if (when.wHour == 0 && when.wMinute == 0 && when.wSecond == 0)
        return date;
    return date + " " + mfstrFormat([&](wchar_t* out, int size) {
               return ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &when, nullptr, out, size);
           });
}

WORD mfintWord(int value) { return static_cast<WORD>(std::clamp(value, 0, 0xFFFF)); }

} // namespace

std::string gfstrGeneralDate(const std::tm& local)
{
    SYSTEMTIME when{};
    when.wYear = mfintWord(local.tm_year + 1900);
    when.wMonth = mfintWord(local.tm_mon + 1);
    when.wDayOfWeek = mfintWord(local.tm_wday);
    when.wDay = mfintWord(local.tm_mday);
    when.wHour = mfintWord(local.tm_hour);
    when.wMinute = mfintWord(local.tm_min);
    when.wSecond = mfintWord(std::min(local.tm_sec, 59));  // a leap second is shown as :59
    return mfstrGeneralDate(when);
}

std::string gfstrGeneralDateNow()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    now.wMilliseconds = 0;
    return mfstrGeneralDate(now);
}

} // namespace platform
