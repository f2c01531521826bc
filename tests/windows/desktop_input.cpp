#include "desktop_input.h"

#include "main_window_harness.h"
#include "shell/messages.h"
#include "shell/tray/tray_icon.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

namespace wrenquil {
namespace {

// Without a system tray on the X display, Wine shows icons in a window of its own, one child
// window per icon.
constexpr char kStandaloneTrayTitle[] = "Wine System Tray";
constexpr char kTrayIconClass[] = "__winex11_tray_icon";

HWND OnlyTrayIcon() {
    HWND tray = ::FindWindowA(nullptr, kStandaloneTrayTitle);
    if (tray == nullptr || !::IsWindowVisible(tray)) {
        return nullptr;
    }
    HWND found = nullptr;
    for (HWND icon = ::FindWindowExA(tray, nullptr, kTrayIconClass, nullptr); icon != nullptr;
         icon = ::FindWindowExA(tray, icon, kTrayIconClass, nullptr)) {
        if (::IsWindowVisible(icon)) {
            if (found != nullptr) {
                return nullptr; // not ours alone: a click could land on another program's icon
            }
            found = icon;
        }
    }
    return found;
}

INPUT MouseInput(POINT at, DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 across the screen.
    input.mi.dx = MulDiv(at.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(at.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return input;
}

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void ClickAt(POINT at) {
    INPUT inputs[] = {MouseInput(at, MOUSEEVENTF_MOVE), MouseInput(at, MOUSEEVENTF_LEFTDOWN),
                      MouseInput(at, MOUSEEVENTF_LEFTUP)};
    ::SendInput(static_cast<UINT>(std::size(inputs)), inputs, sizeof(INPUT));
}

// A shown top-level window of this class that belongs to the process; null while none.
HWND ShownWindowOf(DWORD processId, const char* windowClass) {
    for (HWND window = ::FindWindowExA(nullptr, nullptr, windowClass, nullptr); window != nullptr;
         window = ::FindWindowExA(nullptr, window, windowClass, nullptr)) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == processId && ::IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

std::string Describe(HWND window) {
    char name[64] = "", title[64] = "";
    ::GetClassNameA(window, name, sizeof name);
    ::GetWindowTextA(window, title, sizeof title);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return std::string(name) + " \"" + title + "\" at " + std::to_string(rect.left) + "," +
           std::to_string(rect.top) + "-" + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

} // namespace

bool TrayIconShown(HWND window) {
    NOTIFYICONDATAA probe{};
    probe.cbSize = NOTIFYICONDATAA_V2_SIZE;
    probe.hWnd = window;
    probe.uID = kTrayIconId;
    return ::Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

std::string WindowState(HWND window) {
    return std::string(::IsWindowVisible(window) ? "shown" : "hidden") +
           (::IsIconic(window) ? ", minimised" : "") +
           (TrayIconShown(window) ? ", icon" : ", no icon") +
           "; in front: " + Describe(::GetForegroundWindow());
}

testing::AssertionResult ClickTrayIcon(MouseClick click, HWND owner, const MessageLog& log) {
    const LPARAM told = click == MouseClick::Double  ? WM_LBUTTONDBLCLK
                        : click == MouseClick::Right ? WM_RBUTTONUP
                                                     : WM_LBUTTONUP;
    auto callbacks = [&] {
        return log.Count(WM_TRAYNOTIFY, [&](const MessageLog::Entry& e) {
            return e.window == owner && e.wParam == kTrayIconId && e.lParam == told;
        });
    };
    std::string trouble;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int before = callbacks();
        HWND icon = nullptr;
        POINT centre{};
        RECT last{};
        // Raised, and in the same place twice running.
        const bool inPlace = WaitUntil([&] {
            if ((icon = OnlyTrayIcon()) == nullptr) {
                return false;
            }
            ::SetWindowPos(::GetAncestor(icon, GA_ROOT), HWND_TOP, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            RECT rect;
            ::GetWindowRect(icon, &rect);
            const bool still = ::EqualRect(&rect, &last) != FALSE;
            last = rect;
            centre = Centre(rect);
            return still && ::WindowFromPoint(centre) == icon;
        });
        if (!inPlace) {
            trouble = icon == nullptr ? "no single icon in the tray window"
                                      : "the icon " + Describe(icon) + " is under " +
                                            Describe(::WindowFromPoint(centre));
            continue;
        }
        std::vector<INPUT> inputs{MouseInput(centre, MOUSEEVENTF_MOVE)};
        const DWORD down =
            click == MouseClick::Right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        const DWORD up = click == MouseClick::Right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
        for (int i = 0; i < (click == MouseClick::Double ? 2 : 1); ++i) {
            inputs.push_back(MouseInput(centre, down));
            inputs.push_back(MouseInput(centre, up));
        }
        ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        if (WaitUntil([&] { return callbacks() > before; }, 1500)) {
            return testing::AssertionSuccess();
        }
        trouble = "the window was not told of the click on " + Describe(icon);
    }
    return testing::AssertionFailure() << trouble;
}

HWND ShownWindow(const char* windowClass) {
    return ShownWindowOf(::GetCurrentProcessId(), windowClass);
}

HWND ShownPopupMenu() {
    return ShownWindow("#32768");
}

HMENU MenuOf(HWND popupMenuWindow) {
    return reinterpret_cast<HMENU>(::SendMessageA(popupMenuWindow, MN_GETHMENU, 0, 0));
}

testing::AssertionResult ClickMenuItem(UINT command) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        HWND popup = ShownPopupMenu();
        if (popup == nullptr) {
            return testing::AssertionFailure() << "no menu is open";
        }
        HMENU menu = MenuOf(popup);
        RECT rect{};
        for (int item = 0; item < ::GetMenuItemCount(menu); ++item) {
            if (::GetMenuItemID(menu, item) == command) {
                ::GetMenuItemRect(popup, menu, static_cast<UINT>(item), &rect);
            }
        }
        if (::IsRectEmpty(&rect)) {
            return testing::AssertionFailure() << "no item " << command << " in the menu";
        }
        ClickAt(Centre(rect));
        if (WaitUntil([] { return ShownPopupMenu() == nullptr; }, 1500)) {
            return testing::AssertionSuccess();
        }
    }
    return testing::AssertionFailure() << "the menu stayed open";
}

testing::AssertionResult CloseMenuWithEsc() {
    if (!PressKeysUntil({VK_ESCAPE}, [] { return ShownPopupMenu() == nullptr; })) {
        // Keys go to the thread in front.
        return testing::AssertionFailure()
               << "the menu stayed open; in front: " << Describe(::GetForegroundWindow());
    }
    return testing::AssertionSuccess();
}

void ClickOn(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ClickAt(Centre(rect));
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
    if (!::RegisterHotKey(nullptr, kProbeId, modifiers, key)) {
        return false;
    }
    ::UnregisterHotKey(nullptr, kProbeId);
    return true;
}

bool ScrollLockOn() {
    return (::GetKeyState(VK_SCROLL) & 1) != 0;
}

bool SetScrollLock(bool on) {
    return PressKeysUntil({VK_SCROLL}, [&] { return ScrollLockOn() == on; });
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

std::string ClipboardText() {
    if (!WaitUntil([] { return ::OpenClipboard(nullptr) != FALSE; })) {
        return "(clipboard busy)";
    }
    std::string text;
    if (HANDLE data = ::GetClipboardData(CF_TEXT); data != nullptr) {
        text = static_cast<const char*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

bool BringToFront(HWND window) {
    return WaitUntil([&] {
        if (::GetForegroundWindow() == window) {
            return true;
        }
        ::SetForegroundWindow(window);
        return false;
    });
}

Notepad::Notepad() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    char commandLine[] = "notepad.exe";
    if (!::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process_)) {
        return;
    }
    ::WaitForInputIdle(process_.hProcess, 10000);
    WaitUntil(
        [&] {
            window = ShownWindowOf(process_.dwProcessId, "Notepad");
            edit = window ? ::FindWindowExA(window, nullptr, "Edit", nullptr) : nullptr;
            return edit != nullptr;
        },
        10000);
}

Notepad::~Notepad() {
    if (process_.hProcess != nullptr) {
        ::TerminateProcess(process_.hProcess, 0);
        ::WaitForSingleObject(process_.hProcess, 5000);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
}

void Notepad::Select(const std::string& text, int start, int end) const {
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageA(edit, EM_SETSEL, start, end);
}

MessageLog* MessageLog::active_ = nullptr;

MessageLog::MessageLog(std::initializer_list<UINT> messages) : messages_(messages) {
    active_ = this;
    const DWORD thread = ::GetCurrentThreadId();
    getMessageHook_ = ::SetWindowsHookExA(WH_GETMESSAGE, &OnGetMessage, nullptr, thread);
    callWndProcHook_ = ::SetWindowsHookExA(WH_CALLWNDPROC, &OnCallWndProc, nullptr, thread);
}

MessageLog::~MessageLog() {
    ::UnhookWindowsHookEx(getMessageHook_);
    ::UnhookWindowsHookEx(callWndProcHook_);
    active_ = nullptr;
}

void MessageLog::Record(const Entry& entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    lastMessage_ = std::chrono::steady_clock::now();
    if (std::find(messages_.begin(), messages_.end(), entry.message) != messages_.end()) {
        entries_.push_back(entry);
    }
}

bool MessageLog::WaitUntilQuiet() const {
    // Far longer than any handler runs at start-up, far shorter than the wait's limit.
    constexpr auto kQuiet = std::chrono::milliseconds(150);
    return WaitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::chrono::steady_clock::now() - lastMessage_ > kQuiet;
    });
}

LRESULT CALLBACK MessageLog::OnGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && active_ != nullptr) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        active_->Record({msg->hwnd, msg->message, msg->wParam, msg->lParam});
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageLog::OnCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && active_ != nullptr) {
        const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        const Entry entry{msg->hwnd, msg->message, msg->wParam, msg->lParam};
        active_->Record(entry);
        if (active_->beforeSentMessage &&
            std::find(active_->messages_.begin(), active_->messages_.end(), msg->message) !=
                active_->messages_.end()) {
            active_->beforeSentMessage(entry);
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
    if (!WaitUntil([&] { return Count(message, match) >= count; })) {
        return false;
    }
    // Sent messages wait for the thread's next look at its queue, after the handler returns.
    ::SendMessageA(window, WM_NULL, 0, 0);
    return true;
}

INT_PTR RunSettled(MainWindowHarness& harness, const std::function<void(Driver&)>& script,
                   MessageLog* log) {
    std::unique_ptr<MessageLog> own;
    if (log == nullptr) {
        own = std::make_unique<MessageLog>();
        log = own.get();
    }
    return harness.Run([&](Driver& d) {
        if (log->WaitUntilQuiet()) {
            script(d);
        } else {
            ADD_FAILURE() << "the window never settled";
        }
        // What Esc does in the menu's loop; the window's own end waits for the menu's.
        WaitUntil([] {
            HWND popup = ShownPopupMenu();
            if (popup != nullptr) {
                ::PostMessageA(popup, WM_CANCELMODE, 0, 0);
            }
            return popup == nullptr;
        });
    });
}

} // namespace wrenquil
