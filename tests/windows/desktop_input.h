// What the tests do from outside the main window: real mouse and keyboard input, the tray icon
// as the shell shows it, the clipboard, Wine's notepad as the program in front, and a log of
// the messages the window's thread handles.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

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

// A top-level window of this class that this process shows; null while none ("#32768": a menu).
HWND ShownWindow(const char* windowClass);
// Closes the open pop-up menu with real Esc presses.
testing::AssertionResult CloseMenuWithEsc();

// A real left click in the middle of the window.
void ClickOn(HWND window);

// Presses the keys in order and releases them in reverse order, as a user holds modifiers.
void PressKeys(std::initializer_list<BYTE> keys);
// Presses the keys until `done` holds, at most a few times: under Wine a synthesised key can be
// lost while the window manager settles the focus.
bool PressKeysUntil(std::initializer_list<BYTE> keys, const std::function<bool()>& done);
// The same, giving the box of `dialog` the focus before each try.
bool PressKeysInUntil(HWND dialog, int id, std::initializer_list<BYTE> keys,
                      const std::function<bool()>& done);

// True when no one holds the hot key. Under Wine a key registered without a window by a thread
// that had no message queue yet can never be unregistered, and pressing it then crashes the
// Wine server: the capture tests check before they press.
bool HotKeyFree(UINT modifiers, UINT key);

bool SetClipboardText(const std::string& text);
// Brings the window to the front until the system says it is there.
bool BringToFront(HWND window);

// The messages of interest that the current thread's windows handle, posted or sent, recorded
// by hooks on that thread while the log lives (one log at a time). It also notes when the
// thread last took up any message at all.
class MessageLog {
public:
    struct Entry {
        UINT message;
        WPARAM wParam;
    };

    explicit MessageLog(std::initializer_list<UINT> messages = {});
    ~MessageLog();

    int Count(UINT message, const std::function<bool(const Entry&)>& match = nullptr) const;
    // Waits until `count` such messages have been taken up, then until the window's thread has
    // finished handling them.
    bool WaitFor(HWND window, UINT message, int count,
                 const std::function<bool(const Entry&)>& match = nullptr) const;
    // Waits until the thread has taken up no message for a while: it has then found its queue
    // empty at least once. Wine's dialog loop shows its dialog (SW_SHOWNORMAL) the first time
    // the queue is empty, which would bring back a window hidden before that.
    bool WaitUntilQuiet() const;

    // Called on the window's thread for each sent message of interest, before its handler.
    std::function<void(const Entry&)> beforeSentMessage;

private:
    static LRESULT CALLBACK OnGetMessage(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK OnCallWndProc(int code, WPARAM wParam, LPARAM lParam);
    bool Record(UINT message, WPARAM wParam); // true for a message of interest

    std::vector<UINT> messages_;
    std::vector<Entry> entries_;
    std::chrono::steady_clock::time_point lastMessage_ = std::chrono::steady_clock::now();
    mutable std::mutex mutex_;
    HHOOK hooks_[2] = {};
    static std::atomic<MessageLog*> active_;
};

class MainWindowHarness;
class Driver;

// Runs the window as the harness does, but starts the script only once the dialog's loop has
// found its queue empty (see MessageLog::WaitUntilQuiet), with `log` or a log of its own. A
// menu the script leaves open is closed, or the window could never end.
INT_PTR RunSettled(MainWindowHarness& harness, const std::function<void(Driver&)>& script,
                   MessageLog* log = nullptr);

} // namespace wrenquil
