// What the tests do from outside the main window: real mouse and keyboard input, the tray icon
// as the shell shows it, and when the window's thread is idle. The clipboard is set as the
// probe sets it (drive::SetClipboardText).
#pragma once

#include "main_window_harness.h"
#include "tools/probe/window_driver.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace wrenquil {

// Asks the shell to do `action` (NIM_MODIFY, NIM_DELETE) to the window's icon; true when it did.
bool NotifyIcon(HWND window, DWORD action);
// True while the shell holds the window's icon: modifying an absent icon fails.
inline bool TrayIconShown(HWND window) {
    return NotifyIcon(window, NIM_MODIFY);
}

// Double-clicks the one icon in Wine's stand-alone "Wine System Tray" window, by a message to
// its window rather than the mouse: the tray tells the icon's owner as for a real click, and
// no test depends on where the window manager has just put the tray window.
bool DoubleClickTrayIcon();

// The tip shown while the pointer rests on the one icon in Wine's tray window; empty if none.
std::string TrayIconTip();

// A top-level window of this class that this process shows; null while none ("#32768": a menu).
HWND ShownWindow(const char* windowClass);

// A real left click in the middle of the window.
void ClickOn(HWND window);

// Presses the keys in order and releases them in reverse order, as a user holds modifiers.
void PressKeys(std::initializer_list<BYTE> keys);
// Presses the keys until `done` holds, at most a few times (under Wine a synthesised key can be
// lost while the window manager settles the focus), giving the box `id` of `dialog` (unless
// null) the focus before each try.
bool PressKeysInUntil(HWND dialog, int id, std::initializer_list<BYTE> keys,
                      const std::function<bool()>& done);
// Puts the caret at the start of the window's box `id`, which must have the focus, and presses
// End: input is taken in order, so once the caret is seen at the end, everything typed or
// clicked before has been handled, and so have the messages it gave rise to.
bool InputHandled(const Driver& d, int id);

// True when no one holds the hot key. Under Wine a key registered without a window by a thread
// that had no message queue yet can never be unregistered, and pressing it then crashes the
// Wine server: the capture tests check before they press.
bool HotKeyFree(UINT modifiers, UINT key);

// Brings the window to the front until the system says it is there.
bool BringToFront(HWND window);

// Runs the window as the harness does, but starts the script only once the window has been
// shown: Wine's dialog loop shows its dialog (SW_SHOWNORMAL) the first time its queue is empty,
// which would bring back a window hidden before. Shows the harness's `watch` every message
// meanwhile. A menu the script leaves open is closed, or the window could never end.
INT_PTR RunSettled(MainWindowHarness& harness, const std::function<void(Driver&)>& script,
                   bool waitUntilShown = true);
// While RunSettled runs: posts the window a message and waits until its thread has taken it up,
// and so has handled whatever was posted to it before (a hot key's message among them); false
// when the window goes first.
bool PostedMessagesHandled(const Driver& d);
// While RunSettled runs: the hot keys' messages the window's thread has taken up.
int HotKeysTaken();

} // namespace wrenquil
