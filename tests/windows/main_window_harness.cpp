#include "main_window_harness.h"

#include "res/resource.h"
#include "shell/main_window/wrenquil_dlg.h"
#include "tools/probe/window_driver.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace wrenquil {

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    return drive::PollUntil(milliseconds / 1000.0, done, 10);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &gui);
    return gui.hwndFocus;
}

std::string Driver::Status(int part) const {
    HWND bar = Item(IDC_STATUSBAR);
    // Waits while the window is busy (drive::StatusText would give up). SB_GETTEXTA takes no
    // size, and the window may change the text between two calls: room for far more.
    const auto length = LOWORD(::SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0));
    std::vector<char> text(length + 0x10000u);
    ::SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::string Driver::DialogItemText(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    std::vector<char> text(static_cast<std::size_t>(::GetWindowTextLengthA(item)) + 1);
    ::GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
    return text.data();
}

bool Driver::MenuEnabled(int command) const {
    return !(::GetMenuState(::GetSubMenu(::GetMenu(window), 0), command, MF_BYCOMMAND) & MF_GRAYED);
}

std::string Driver::Controls() const {
    const auto on = [](bool enabled) { return enabled ? "on" : "off"; };
    return std::string("Send ") + on(Enabled(IDC_SEND)) + "/" + on(MenuEnabled(ID_MESSAGE_SEND)) +
           ", Login " + on(MenuEnabled(ID_MESSAGE_LOGIN)) + ", Logoff " +
           on(MenuEnabled(ID_MESSAGE_LOGOFF));
}

void Driver::Type(int id, const std::string& text) const {
    ::SendMessageA(Item(id), EM_SETSEL, 0, -1);
    ::SendMessageA(Item(id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND Driver::WaitForDialog(const char* caption) {
    HWND found = nullptr;
    WaitUntil([&] {
        found = ::FindWindowA("#32770", caption);
        return found != nullptr && ::IsWindowVisible(found);
    });
    return found;
}

INT_PTR MainWindowHarness::Run(const std::function<void(Driver&)>& script, bool waitUntilShown) {
    CWrenquilDlg window(login, preferences, settings);
    app.m_pMainWnd = &window;
    if (beforeRun) {
        beforeRun();
    }
    std::thread driver([&] {
        HWND handle = nullptr;
        WaitUntil([&] {
            handle = drive::FindMainWindow();
            // Shown, and activated by the window manager: acting before that races with it.
            return handle != nullptr && (!waitUntilShown || (::IsWindowVisible(handle) &&
                                                             ::GetForegroundWindow() == handle));
        });
        if (handle == nullptr) {
            ADD_FAILURE() << "the main window did not appear";
            return;
        }
        Driver d(handle);
        script(d);
        if (::IsWindow(handle)) {
            ::PostMessageA(handle, WM_CLOSE, 0, 0);
        }
    });
    const INT_PTR result = window.DoModal();
    driver.join();
    app.m_pMainWnd = nullptr;
    return result;
}

} // namespace wrenquil
