// The main window's icon in the notification area.
#pragma once

#include <windows.h>

namespace wrenquil {

inline constexpr UINT kTrayIconId = 128;
inline constexpr char kTrayTip[] = "Wrenquil";

// Adds (NIM_ADD) or deletes (NIM_DELETE) the icon of `window`; the shell's answer.
BOOL NotifyTrayIcon(HWND window, DWORD action);

} // namespace wrenquil
