#include "hot_key_registration.h"

#include "capture_rules.h"
#include "capture_selection.h"

namespace wrenquil {

bool CaptureHotKey::Register(HotKey key) {
    Unregister();
    registered_ = ::RegisterHotKey(window_, CAPTURE_HOTKEY_ID, MapHotKeyModifiers(key.modifiers),
                                   key.virtualKey) != FALSE;
    return registered_;
}

void CaptureHotKey::Unregister() {
    if (registered_) {
        ::UnregisterHotKey(window_, CAPTURE_HOTKEY_ID);
        registered_ = false;
    }
}

} // namespace wrenquil
