// The shell functions the program calls, under their own names in our namespace: SHELL32.DLL
// is loaded at the first of them (the tray icon, the About box's link), not at start. When
// it cannot be loaded each call fails as the function itself fails.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace wrenquil {

BOOL Shell_NotifyIconA(DWORD action, PNOTIFYICONDATAA data);
HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT show);

} // namespace wrenquil
