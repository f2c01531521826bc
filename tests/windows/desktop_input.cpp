#include "desktop_input.h"

#include "main_window_harness.h"
#include "shell/tray/tray_icon.h"

#include <algorithm>
#include <iterator>
#include <memory>

namespace wrenquil {
namespace {

// Without a system tray on the X display, Wine shows icons in a window of its own, one child
// window per icon; null unless exactly one is shown (a click could land on another's icon).
HWND OnlyTrayIcon() {
    constexpr char kIconClass[] = "__winex11_tray_icon";
    HWND tray = ::FindWindowA(nullptr, "Wine System Tray");
    HWND found = nullptr;
    for (HWND icon = tray ? ::FindWindowExA(tray, nullptr, kIconClass, nullptr) : nullptr; icon;
         icon = ::FindWindowExA(tray, icon, kIconClass, nullptr)) {
        if (::IsWindowVisible(icon) && found != nullptr) {
            return nullptr;
        }
        found = ::IsWindowVisible(icon) ? icon : found;
    }
    return found;
}

} // namespace

bool NotifyIcon(HWND window, DWORD action) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    return ::Shell_NotifyIconA(action, &record) != FALSE;
}

bool DoubleClickTrayIcon() {
    HWND icon = nullptr;
    return WaitUntil([&] { return (icon = OnlyTrayIcon()) != nullptr; }) &&
           ::PostMessageA(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4)); // a point on it
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

testing::AssertionResult CloseMenuWithEsc() {
    if (PressKeysUntil({VK_ESCAPE}, [] { return ShownWindow("#32768") == nullptr; })) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "the menu stayed open"; // keys go to the thread in front
}

void ClickOn(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 across the screen.
    input.mi.dx = MulDiv((rect.left + rect.right) / 2, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv((rect.top + rect.bottom) / 2, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    INPUT inputs[3] = {input, input, input};
    inputs[0].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    ::SendInput(3, inputs, sizeof(INPUT));
}

void PressKeys(std::initializer_list<BYTE> keys) {
    for (const BYTE key : keys) {
        ::keybd_event(key, 0, 0, 0);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        ::keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
    }
}

bool PressKeysUntil(std::initializer_list<BYTE> keys, const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 3 && !done(); ++attempt) {
        PressKeys(keys);
        WaitUntil(done, 1500);
    }
    return done();
}

bool PressKeysInUntil(HWND dialog, int id, std::initializer_list<BYTE> keys,
                      const std::function<bool()>& done) {
    HWND box = ::GetDlgItem(dialog, id);
    for (int attempt = 0; attempt < 3; ++attempt) {
        ::PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
        WaitUntil([&] { return FocusOf(dialog) == box; });
        PressKeys(keys);
        if (WaitUntil(done, 1500)) {
            return true;
        }
    }
    return false;
}

bool HotKeyFree(UINT modifiers, UINT key) {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue the registration belongs to
    constexpr int kProbeId = 0xBFFF;
    const bool free = ::RegisterHotKey(nullptr, kProbeId, modifiers, key) != FALSE;
    return free && ::UnregisterHotKey(nullptr, kProbeId);
}

bool SetClipboardText(const std::string& text) {
    if (!WaitUntil([] { return ::OpenClipboard(nullptr) != FALSE; })) {
        return false;
    }
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory != nullptr) {
        std::copy_n(text.c_str(), text.size() + 1, static_cast<char*>(::GlobalLock(memory)));
        ::GlobalUnlock(memory);
    }
    const bool set = memory != nullptr && ::SetClipboardData(CF_TEXT, memory) != nullptr;
    ::CloseClipboard();
    return set;
}

bool BringToFront(HWND window) {
    return WaitUntil([&] {
        return ::GetForegroundWindow() == window || (::SetForegroundWindow(window) && false);
    });
}

std::atomic<MessageLog*> MessageLog::active_{nullptr};

MessageLog::MessageLog(std::initializer_list<UINT> messages) : messages_(messages) {
    active_ = this;
    const DWORD thread = ::GetCurrentThreadId();
    hooks_[0] = ::SetWindowsHookExA(WH_GETMESSAGE, &OnGetMessage, nullptr, thread);
    hooks_[1] = ::SetWindowsHookExA(WH_CALLWNDPROC, &OnCallWndProc, nullptr, thread);
}

MessageLog::~MessageLog() {
    ::UnhookWindowsHookEx(hooks_[0]);
    ::UnhookWindowsHookEx(hooks_[1]);
    active_ = nullptr;
}

bool MessageLog::Record(UINT message, WPARAM wParam) {
    std::lock_guard<std::mutex> lock(mutex_);
    lastMessage_ = std::chrono::steady_clock::now();
    if (std::find(messages_.begin(), messages_.end(), message) == messages_.end()) {
        return false;
    }
    entries_.push_back({message, wParam});
    return true;
}

LRESULT CALLBACK MessageLog::OnGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (MessageLog* log = active_; code == HC_ACTION && wParam == PM_REMOVE && log != nullptr) {
        log->Record(reinterpret_cast<const MSG*>(lParam)->message,
                    reinterpret_cast<const MSG*>(lParam)->wParam);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageLog::OnCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    if (MessageLog* log = active_; code == HC_ACTION && log != nullptr) {
        const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (log->Record(msg->message, msg->wParam) && log->beforeSentMessage) {
            log->beforeSentMessage({msg->message, msg->wParam});
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

int MessageLog::Count(UINT message, const std::function<bool(const Entry&)>& match) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return e.message == message && (!match || match(e));
    }));
}

bool MessageLog::WaitFor(HWND window, UINT message, int count,
                         const std::function<bool(const Entry&)>& match) const {
    // Sent messages wait for the thread's next look at its queue, after the handler returns.
    return WaitUntil([&] { return Count(message, match) >= count; }) &&
           ::SendMessageA(window, WM_NULL, 0, 0) == 0;
}

bool MessageLog::WaitUntilQuiet() const {
    // Far longer than any handler runs at start-up, far shorter than the wait's limit.
    return WaitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::chrono::steady_clock::now() - lastMessage_ > std::chrono::milliseconds(150);
    });
}

INT_PTR RunSettled(MainWindowHarness& harness, const std::function<void(Driver&)>& script,
                   MessageLog* log) {
    const auto own = log ? nullptr : std::make_unique<MessageLog>();
    return harness.Run([&](Driver& d) {
        if ((log ? log : own.get())->WaitUntilQuiet()) {
            script(d);
        } else {
            ADD_FAILURE() << "the window never settled";
        }
        // What Esc does in the menu's loop; the window's own end waits for the menu's.
        WaitUntil([] {
            HWND menu = ShownWindow("#32768");
            return !menu || (::PostMessageA(menu, WM_CANCELMODE, 0, 0) && false);
        });
    });
}

} // namespace wrenquil
