// The tray icon's pop-up menu.
#pragma once

#include <windows.h>

namespace wrenquil {

// Opens the menu at the pointer, owned by the window, which receives the chosen command.
// Restore is the default; Login is greyed while logged in, Logoff while not.
void ShowTrayMenu(HWND owner, bool loggedIn);

} // namespace wrenquil
