// On Windows the game's registry and folders are the system's own: there is one Windows, so
// there is no prefix to choose, and whether the game is found there need not be asked.

#include "platform/GamePrefix.h"

namespace platform {

void gsChooseGamePrefix(const std::function<bool()>&, std::string_view) {}

} // namespace platform
