// Under the Wine model a terminal takes the program's UTF-8 bytes as they are.

#include "platform/StandardOutput.h"

namespace platform {

void gsWriteStandard(StandardStream stream, std::string_view text) { gudtStandardStream(stream) << text; }

} // namespace platform
