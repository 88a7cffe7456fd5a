#pragma once
// The local date and time as the user's regional settings write them.

#include <ctime>
#include <string>

namespace platform {

// The general date form: the locale's short date, a space and its long time; the date alone
// when the time of day is exactly midnight.
std::string gfstrGeneralDate(const std::tm& local);

// The general date form of the current local time.
std::string gfstrGeneralDateNow();

} // namespace platform
