// What the tray and capture tests do from outside the main window: real mouse and keyboard
// input, the tray icon as the shell shows it, the clipboard, Wine's notepad as the program in
// front, and a log of the messages the window's thread handles.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

namespace wrenquil {

// True while the shell holds the window's icon: modifying an absent icon fails.
bool TrayIconShown(HWND window);

class MessageLog;

enum class MouseClick { Single, Double, Right };

// Clicks on the one icon shown in Wine's stand-alone "Wine System Tray" window with real mouse
// input, after raising that window, until `log` (which must record WM_TRAYNOTIFY) shows that
// `owner` has been told of the click: the tray window moves when the window manager maps it
// again, so a click can land where the icon was.
testing::AssertionResult ClickTrayIcon(MouseClick click, HWND owner, const MessageLog& log);

// What a failed wait shows: the window's state, its icon, and the window in front.
std::string WindowState(HWND window);

// A top-level window of this class that this process shows; null while none.
HWND ShownWindow(const char* windowClass);
// The pop-up menu this process shows (window class "#32768") and its menu; null while none.
HWND ShownPopupMenu();
HMENU MenuOf(HWND popupMenuWindow);
// Chooses the command from the open pop-up menu with a real mouse click on its item.
testing::AssertionResult ClickMenuItem(UINT command);
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

bool ScrollLockOn();
// Presses Scroll Lock until its light is as asked.
bool SetScrollLock(bool on);

bool SetClipboardText(const std::string& text);
std::string ClipboardText();

// Brings the window to the front until the system says it is there.
bool BringToFront(HWND window);

// Wine's own notepad: started, given a selection, and ended (its text is thrown away).
class Notepad {
public:
    Notepad();
    ~Notepad();
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;

    bool Started() const { return edit != nullptr; }
    // Sets the text and selects [start, end) of it.
    void Select(const std::string& text, int start, int end) const;

    HWND window = nullptr;
    HWND edit = nullptr;

private:
    PROCESS_INFORMATION process_{};
};

// The messages of interest that the current thread's windows handle, posted or sent, recorded
// by hooks on that thread for as long as the log lives (one log at a time). It also notes when
// the thread last took up any message at all.
class MessageLog {
public:
    struct Entry {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    explicit MessageLog(std::initializer_list<UINT> messages = {});
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

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
    void Record(const Entry& entry);

    std::vector<UINT> messages_;
    std::vector<Entry> entries_;
    std::chrono::steady_clock::time_point lastMessage_ = std::chrono::steady_clock::now();
    mutable std::mutex mutex_;
    HHOOK getMessageHook_ = nullptr;
    HHOOK callWndProcHook_ = nullptr;
    static MessageLog* active_;
};

class MainWindowHarness;
class Driver;

// Runs the window as the harness does, but starts the script only once the dialog's loop has
// found its queue empty (see MessageLog::WaitUntilQuiet), with `log` or a log of its own. A
// menu the script leaves open is closed, or the window could never end.
INT_PTR RunSettled(MainWindowHarness& harness, const std::function<void(Driver&)>& script,
                   MessageLog* log = nullptr);

} // namespace wrenquil
