// Registering the capture hot key with the system, on the main window.
#pragma once

#include "core/settings/hot_key.h"

#include <windows.h>

namespace wrenquil {

// False when the system refuses the key (another program may hold it).
bool RegisterCaptureHotKey(HWND mainWindow, HotKey key);

} // namespace wrenquil
