// What the capture needs of the desktop: the system's keyboard and clipboard, and the main
// window that it brings back and pastes into.
#pragma once

#include "capture_selection.h"

#include <windows.h>

#include <functional>

namespace wrenquil {

class DesktopCapture final : public CapturePlatform {
public:
    // `restoreFromTray` brings the main window back, out of the tray if need be.
    DesktopCapture(HWND mainWindow, HWND messageBox, std::function<void()> restoreFromTray)
        : mainWindow_(mainWindow), messageBox_(messageBox),
          restoreFromTray_(std::move(restoreFromTray)) {}

    bool MainWindowInFront() override { return ::GetForegroundWindow() == mainWindow_; }
    void Pause(unsigned milliseconds) override;
    bool ScrollLockOn() override { return (::GetKeyState(VK_SCROLL) & 1) != 0; }
    bool ModifierKeysDown() override;
    void KeyEvent(std::uint8_t virtualKey, bool release) override {
        ::keybd_event(virtualKey, 0, release ? KEYEVENTF_KEYUP : 0, 0);
    }
    std::uint32_t ClipboardSequence() override { return ::GetClipboardSequenceNumber(); }
    bool ClipboardBusy() override;
    void RestoreFromTray() override { restoreFromTray_(); }
    void PasteIntoMessageBox() override { ::SendMessageA(messageBox_, WM_PASTE, 0, 0); }
    void DropHotKeyPressesMeanwhile() override;

private:
    HWND mainWindow_;
    HWND messageBox_;
    std::function<void()> restoreFromTray_;
};

} // namespace wrenquil
