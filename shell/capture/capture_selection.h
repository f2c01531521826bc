// The capture hot key: copy the selection of the application in front with a synthesised
// Ctrl+C, bring the main window back and paste what that copy put on the clipboard.
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
    // Shift, Ctrl, Alt or a Windows key is held down.
    virtual bool ModifierKeysDown() = 0;
    virtual void KeyEvent(std::uint8_t virtualKey, bool release) = 0;
    // Changes whenever a program changes the clipboard.
    virtual std::uint32_t ClipboardSequence() = 0;
    // Another program has the clipboard open: its copy is not finished yet.
    virtual bool ClipboardBusy() = 0;
    virtual void RestoreFromTray() = 0;
    virtual void PasteIntoMessageBox() = 0;
    // Takes out of the queue the hot key's presses that came while the capture ran.
    virtual void DropHotKeyPressesMeanwhile() = 0;
};

inline constexpr int CAPTURE_HOTKEY_ID = 0;
inline constexpr unsigned CAPTURE_PAUSE = 200;       // ms before the capture begins
inline constexpr unsigned CAPTURE_WAIT_LIMIT = 1000; // ms for the keys' release, and for the copy
inline constexpr unsigned CAPTURE_POLL_STEP = 20;    // ms

void CaptureSelection(std::uintptr_t hotKeyId, CapturePlatform& platform);

} // namespace wrenquil
