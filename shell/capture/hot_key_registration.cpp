#include "hot_key_registration.h"

#include "capture_rules.h"
#include "capture_selection.h"

namespace wrenquil {

bool RegisterCaptureHotKey(HWND mainWindow, HotKey key) {
    return ::RegisterHotKey(mainWindow, CAPTURE_HOTKEY_ID, MapHotKeyModifiers(key.modifiers),
                            key.virtualKey) != FALSE;
}

} // namespace wrenquil
