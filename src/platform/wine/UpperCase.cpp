// The host's upper-case table for name keys: the simple mapping of Unicode from the C library's
// UTF-8 locale, as Wine compares names.

#include "platform/Names.h"

#include <locale.h>
#include <wctype.h>

namespace platform {

char16_t gfchrUpperCaseUnit(char16_t unit)
{
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8 == static_cast<locale_t>(nullptr))
        return unit;
    const wint_t upper = ::towupper_l(static_cast<wint_t>(unit), utf8);
    return static_cast<char16_t>(upper <= 0xFFFF ? upper : unit);
}

} // namespace platform
