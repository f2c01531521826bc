// Turns any static control into a hyperlink: coloured text, underlined while the pointer is
// over it, a hand cursor, and click notifications to its parent. The control and its parent
// are subclassed for it, and everything it made goes again when they are destroyed.
#pragma once

#include <windows.h>

namespace wrenquil {

// The control must carry a font. Returns TRUE.
BOOL ConvertStaticToHyperlink(HWND control);

} // namespace wrenquil
