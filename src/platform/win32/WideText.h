#pragma once
// The program's UTF-8 text and the UTF-16 text of the W calls. A name the system hands back may
// hold a lone surrogate, which no UTF-8 sequence stands for: it keeps its three-byte form (as
// gfstrUtf16ToUtf8 writes it), and that form turns back into the same unit, so every name the
// system gives can be handed back to it.

#include <optional>
#include <string>
#include <string_view>

namespace platform::win32 {

// UTF-16 units as UTF-8, a lone surrogate in its three-byte form.
std::string gfstrNarrow(std::wstring_view units);

// UTF-8 text (three-byte surrogate forms included) as UTF-16 units; nothing when the text holds
// bytes that are no such sequence or a NUL, which no W call could be handed whole.
std::optional<std::wstring> gfstrWide(std::string_view text);

} // namespace platform::win32
