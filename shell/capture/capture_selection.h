// The capture hot key: copy the selection of the application in front with a synthesised
// Ctrl+C, bring the main window back and paste.
#pragma once

#include <cstdint>

namespace wrenquil {

// What the capture needs of the system and of the main window.
class CapturePlatform {
public:
    virtual ~CapturePlatform() = default;
    virtual bool MainWindowInFront() = 0;
    virtual void Pause(unsigned milliseconds) = 0;
    virtual bool ScrollLockOn() = 0;
    virtual void KeyEvent(std::uint8_t virtualKey, bool release) = 0;
    virtual void RestoreFromTray() = 0;
    virtual void PasteIntoMessageBox() = 0;
};

inline constexpr int CAPTURE_HOTKEY_ID = 0;
inline constexpr unsigned kCapturePause = 200; // ms for the application in front to copy

void CaptureSelection(std::uintptr_t hotKeyId, CapturePlatform& platform);

} // namespace wrenquil
