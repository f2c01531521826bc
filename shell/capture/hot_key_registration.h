// The capture hot key's registration with the system, on the main window: at most one key is
// registered at a time, and it is withdrawn when the object goes.
#pragma once

#include "core/settings/hot_key.h"

#include <windows.h>

namespace wrenquil {

class CaptureHotKey {
public:
    CaptureHotKey() = default;
    CaptureHotKey(const CaptureHotKey&) = delete;
    CaptureHotKey& operator=(const CaptureHotKey&) = delete;
    ~CaptureHotKey() { Unregister(); }

    void SetOwner(HWND mainWindow) { window_ = mainWindow; }
    // Withdraws the key in force, then registers `key`; false when the system refuses it
    // (another program may hold it), and no key is registered then.
    bool Register(HotKey key);
    void Unregister();

private:
    HWND window_ = nullptr;
    bool registered_ = false;
};

} // namespace wrenquil
