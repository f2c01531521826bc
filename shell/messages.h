// The main window's private messages and the names other instances find it by.
#pragma once

#include "wrenquil_version.h"

#include <windows.h>

namespace wrenquil {

inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 2;     // the tray icon's callback
inline constexpr UINT WM_PASTECLIPBOARD = WM_USER + 3; // a second start: paste and recount
inline constexpr char MAIN_WINDOW_TITLE[] = WRENQUIL_MAIN_WINDOW_TITLE;
inline constexpr char SEMAPHORE_NAME[] = "WrenquilSemaphore";
// A window property the main window carries for its whole life, so a second start finds it
// and no other window that happens to have its title.
inline constexpr char MAIN_WINDOW_MARKER[] = "Wrenquil.MainWindow";

} // namespace wrenquil
