#include "capture_selection.h"

#include "core/settings/hot_key.h"

namespace wrenquil {
namespace {

constexpr std::uint8_t CONTROL_KEY = 0x11; // VK_CONTROL
constexpr std::uint8_t LETTER_C_KEY = 0x43;

// Polls until `done` holds, at most CAPTURE_WAIT_LIMIT; true when it held.
template <typename Condition> bool WaitUntil(CapturePlatform& platform, Condition done) {
    for (unsigned waited = 0;; waited += CAPTURE_POLL_STEP) {
        if (done()) {
            return true;
        }
        if (waited >= CAPTURE_WAIT_LIMIT) {
            return false;
        }
        platform.Pause(CAPTURE_POLL_STEP);
    }
}

// From the pause on: the keys' release, the copy, and the window back with what it copied.
void CaptureFromTheProgramInFront(CapturePlatform& platform) {
    platform.Pause(CAPTURE_PAUSE);
    // The copy must reach the other program as Ctrl+C alone: with the hot key's Alt still down
    // it would be Ctrl+Alt+C, which some layouts type as a character over the selection.
    if (!WaitUntil(platform, [&] { return !platform.ModifierKeysDown(); })) {
        platform.RestoreFromTray();
        return;
    }
    // A toggled Scroll Lock would otherwise stay on after every capture with the built-in key.
    if (platform.ScrollLockOn()) {
        platform.KeyEvent(SCROLL_LOCK_KEY, false);
        platform.KeyEvent(SCROLL_LOCK_KEY, true);
    }
    const std::uint32_t before = platform.ClipboardSequence();
    platform.KeyEvent(CONTROL_KEY, false);
    platform.KeyEvent(LETTER_C_KEY, false);
    platform.KeyEvent(LETTER_C_KEY, true);
    platform.KeyEvent(CONTROL_KEY, true);
    // Nothing copied (no selection, or a program deaf to Ctrl+C): the clipboard holds something
    // older, perhaps a password, which must not land one click from Send.
    const bool copied = WaitUntil(platform, [&] {
        return platform.ClipboardSequence() != before && !platform.ClipboardBusy();
    });
    platform.RestoreFromTray();
    if (copied) {
        platform.PasteIntoMessageBox();
    }
}

} // namespace

void CaptureSelection(std::uintptr_t hotKeyId, CapturePlatform& platform) {
    if (hotKeyId != CAPTURE_HOTKEY_ID) {
        return;
    }
    // In front, the key does nothing.
    if (platform.MainWindowInFront()) {
        return;
    }
    CaptureFromTheProgramInFront(platform);
    // The Scroll Lock that turned the light off sets the built-in key off once more, and the
    // user may have pressed the key again meanwhile: those presses belong to this capture.
    // Left in the queue, each would copy and paste once more should another program be in
    // front by the time it is taken (a window manager slow to move the focus puts it there).
    platform.DropHotKeyPressesMeanwhile();
}

} // namespace wrenquil
