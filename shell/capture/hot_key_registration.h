// The capture hot key's registration with the system, on the main window: at most one key is
// registered at a time, and it is withdrawn when the object goes.
#pragma once

#include "core/settings/hot_key.h"

#include <windows.h>

namespace wrenquil {

class CaptureHotKey {
public:
    // Registers nothing yet.
    explicit CaptureHotKey(HWND mainWindow) : window_(mainWindow) {}
    CaptureHotKey(const CaptureHotKey&) = delete;
    CaptureHotKey& operator=(const CaptureHotKey&) = delete;
    ~CaptureHotKey() { Unregister(); }

    // Withdraws the key in force, then registers `key`; false when the system refuses it
    // (another program may hold it), and no key is registered then.
    bool Register(HotKey key);

private:
    void Unregister();

    HWND window_;
    bool registered_ = false;
};

} // namespace wrenquil
