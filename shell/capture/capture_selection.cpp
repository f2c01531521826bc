#include "capture_selection.h"

namespace wrenquil {
namespace {

constexpr std::uint8_t kScrollLock = 0x91; // VK_SCROLL
constexpr std::uint8_t kControl = 0x11;    // VK_CONTROL
constexpr std::uint8_t kLetterC = 0x43;

} // namespace

void CaptureSelection(std::uintptr_t hotKeyId, CapturePlatform& platform) {
    if (hotKeyId != CAPTURE_HOTKEY_ID) {
        return;
    }
    // Also ends the hot key that a synthesised Scroll Lock may set off: by then we are in front.
    if (platform.MainWindowInFront()) {
        return;
    }
    platform.Pause(kCapturePause);
    // A toggled Scroll Lock would otherwise stay on after every capture with the built-in key.
    if (platform.ScrollLockOn()) {
        platform.KeyEvent(kScrollLock, false);
        platform.KeyEvent(kScrollLock, true);
    }
    platform.KeyEvent(kControl, false);
    platform.KeyEvent(kLetterC, false);
    platform.KeyEvent(kLetterC, true);
    platform.KeyEvent(kControl, true);
    platform.Pause(kCapturePause);
    platform.RestoreFromTray();
    platform.PasteIntoMessageBox();
}

} // namespace wrenquil
