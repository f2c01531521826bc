#include "desktop_input.h"

#include "main_window_harness.h"
#include "shell/tray/tray_icon.h"

#include <commctrl.h>

#include <atomic>
#include <iterator>
#include <memory>

namespace wrenquil {
namespace {

constexpr char ICON_CLASS[] = "__winex11_tray_icon";

// Without a system tray on the X display, Wine shows icons in a window of its own, one child
// window per icon; the first shown, or null. (A test that leaves another's icon behind makes
// the double-click miss ours.)
HWND ShownTrayIcon() {
    HWND tray = ::FindWindowA(nullptr, "Wine System Tray");
    for (HWND icon = nullptr; tray && (icon = ::FindWindowExA(tray, icon, ICON_CLASS, nullptr));) {
        if (::IsWindowVisible(icon)) {
            return icon;
        }
    }
    return nullptr;
}

// The hot keys' messages the window's thread has taken up, and the last of the test's own
// posted messages it has, noted by hooks on it while RunSettled runs.
constexpr UINT TEST_MESSAGE = WM_APP + 0x3A7;
std::atomic<int> hotKeysTaken{0};
std::atomic<WPARAM> testMessagesTaken{0};
MessageWatch watch; // the harness's, called on the window's thread

void NoteMessage(HWND window, UINT message, WPARAM wParam) {
    hotKeysTaken += message == WM_HOTKEY ? 1 : 0;
    if (message == TEST_MESSAGE) {
        testMessagesTaken = wParam;
    }
    if (watch) {
        watch(window, message, wParam);
    }
}

LRESULT CALLBACK OnPosted(int code, WPARAM removed, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE) {
        NoteMessage(msg->hwnd, msg->message, msg->wParam);
    }
    return ::CallNextHookEx(nullptr, code, removed, lParam);
}

LRESULT CALLBACK OnSent(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    NoteMessage(msg->hwnd, msg->message, msg->wParam);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

bool NotifyIcon(HWND window, DWORD action) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window;
    record.uID = TRAY_ICON_ID;
    return ::Shell_NotifyIconA(action, &record) != FALSE;
}

bool DoubleClickTrayIcon() {
    HWND icon = nullptr;
    return WaitUntil([&] { return (icon = ShownTrayIcon()) != nullptr; }) &&
           ::PostMessageA(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4)); // a point on it
}

// Input in order with the clicks and keys after it; with `buttons`, a press or release there.
static void MoveMouseTo(int x, int y, DWORD buttons = 0) {
    ::mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons,
                  static_cast<DWORD>(x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1)),
                  static_cast<DWORD>(y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1)), 0, 0);
}

std::string TrayIconTip() {
    HWND icon = nullptr;
    if (!WaitUntil([&] { return (icon = ShownTrayIcon()) != nullptr; })) {
        return "";
    }
    RECT rect{};
    ::GetWindowRect(icon, &rect);
    // Onto the icon from elsewhere, as the mouse moves: a pointer already there would rest
    // without a move, and a second warp of the pointer may be undone by the first's late event.
    // A move the tray takes before its icon is ready to show the tip is lost: moved again.
    std::string tip;
    for (int attempt = 0; attempt < 3 && tip.empty(); ++attempt) {
        MoveMouseTo(rect.right + 40, rect.bottom + 40);
        MoveMouseTo((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        WaitUntil(
            [&] {
                for (HWND shown = nullptr; (shown = ::FindWindowExA(nullptr, shown, TOOLTIPS_CLASSA,
                                                                    nullptr)) != nullptr;) {
                    char text[128] = ""; // asked of the tip itself: it belongs to another process
                    if (::IsWindowVisible(shown) &&
                        ::SendMessageA(shown, WM_GETTEXT, sizeof text,
                                       reinterpret_cast<LPARAM>(text)) > 0) {
                        tip = text;
                        return true;
                    }
                }
                return false;
            },
            2000);
    }
    return tip;
}

HWND ShownWindow(const char* windowClass) {
    for (HWND window = ::FindWindowExA(nullptr, nullptr, windowClass, nullptr); window != nullptr;
         window = ::FindWindowExA(nullptr, window, windowClass, nullptr)) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

void ClickOn(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    MoveMouseTo((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, MOUSEEVENTF_LEFTDOWN);
    MoveMouseTo((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, MOUSEEVENTF_LEFTUP);
}

void PressKeys(std::initializer_list<BYTE> keys) {
    for (const BYTE key : keys) {
        ::keybd_event(key, 0, 0, 0);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        ::keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
    }
}

bool PressKeysInUntil(HWND dialog, int id, std::initializer_list<BYTE> keys,
                      const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 3 && !done(); ++attempt) {
        if (dialog != nullptr) {
            HWND box = ::GetDlgItem(dialog, id);
            ::PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
            WaitUntil([&] { return FocusOf(dialog) == box; });
        }
        PressKeys(keys);
        WaitUntil(done, 1500);
    }
    return done();
}

bool InputHandled(const Driver& d, int id) {
    HWND box = d.Item(id);
    if (!WaitUntil([&] { return FocusOf(d.window) == box; })) {
        return false;
    }
    ::SendMessageA(box, EM_SETSEL, 0, 0);
    const auto end = static_cast<WORD>(::GetWindowTextLengthA(box));
    PressKeys({VK_END});
    return WaitUntil([&] { return ::SendMessageA(box, EM_GETSEL, 0, 0) == MAKELRESULT(end, end); });
}

bool HotKeyFree(UINT modifiers, UINT key) {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue the registration belongs to
    constexpr int PROBE_ID = 0xBFFF;
    const bool free = ::RegisterHotKey(nullptr, PROBE_ID, modifiers, key) != FALSE;
    return free && ::UnregisterHotKey(nullptr, PROBE_ID);
}

bool BringToFront(HWND window) {
    return WaitUntil([&] {
        return ::GetForegroundWindow() == window || (::SetForegroundWindow(window) && false);
    });
}

INT_PTR RunSettled(MainWindowHarness& harness, const std::function<void(Driver&)>& script,
                   bool waitUntilShown) {
    watch = harness.watch;
    hotKeysTaken = 0;
    const DWORD thread = ::GetCurrentThreadId();
    using Hook = std::unique_ptr<HHOOK__, decltype(&::UnhookWindowsHookEx)>;
    const Hook posted(::SetWindowsHookExA(WH_GETMESSAGE, &OnPosted, nullptr, thread),
                      &::UnhookWindowsHookEx);
    const Hook sent(::SetWindowsHookExA(WH_CALLWNDPROC, &OnSent, nullptr, thread),
                    &::UnhookWindowsHookEx);
    const auto settledScript = [&](Driver& d) {
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(d.window) != FALSE; }))
            << "the window was never shown";
        script(d);
        // What Esc does in the menu's loop; the window's own end waits for the menu's.
        WaitUntil([] {
            HWND menu = ShownWindow("#32768");
            return !menu || (::PostMessageA(menu, WM_CANCELMODE, 0, 0) && false);
        });
    };
    return harness.Run(settledScript, waitUntilShown);
}

bool PostedMessagesHandled(const Driver& d) {
    static std::atomic<WPARAM> posted{0};
    const WPARAM mine = ++posted;
    return ::PostMessageA(d.window, TEST_MESSAGE, mine, 0) &&
           WaitUntil([&] { return testMessagesTaken == mine || !::IsWindow(d.window); }) &&
           testMessagesTaken == mine;
}

int HotKeysTaken() {
    return hotKeysTaken;
}

} // namespace wrenquil
