// Under the Wine model the prefix's registry files are the only word on the user's folders:
// there is no running system to ask.

#include "platform/KnownFolders.h"

namespace platform {

std::string gfstrSystemDocumentsFolder() { return {}; }

} // namespace platform
