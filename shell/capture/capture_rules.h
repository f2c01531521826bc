// The two rules of clipboard capture that need no window system.
#pragma once

#include <cstdint>
#include <string_view>

namespace wrenquil {

// From the hot-key control's modifier bits to RegisterHotKey's: Alt, Ctrl and Shift carry
// over; the extended-key bit does not, and the Windows key is never asked for.
std::uint32_t MapHotKeyModifiers(std::uint16_t hotKeyControlModifiers);

// True when the whole command line, program path and quotes included, ends in " -c".
bool HasPasteSwitch(std::string_view commandLine);

} // namespace wrenquil
