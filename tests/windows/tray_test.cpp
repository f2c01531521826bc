// The window's life in the notification area. One double-click through Wine's tray window
// proves the icon's callback is wired; the other notifications are sent as the shell would.
#include "desktop_input.h"
#include "main_window_harness.h"

#include "core/login_state.h"
#include "res/resource.h"
#include "shell/messages.h"
#include "shell/tray/tray_icon.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

namespace wrenquil {
namespace {

bool Hidden(const Driver& d) {
    return !::IsWindowVisible(d.window) && TrayIconShown(d.window);
}

// Tells the window of a mouse message on its icon; false when the handler did not return
// (a menu it opened, say).
bool Notify(const Driver& d, UINT mouseMessage) {
    return ::SendMessageTimeoutA(d.window, WM_TRAYNOTIFY, TRAY_ICON_ID, mouseMessage, SMTO_NORMAL,
                                 WAIT_LIMIT_MS, nullptr) != 0;
}

// The menu a right-click on the icon opens, once it is shown; null while none.
HMENU OpenTrayMenu(const Driver& d) {
    ::PostMessageA(d.window, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_RBUTTONUP);
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = ShownWindow("#32768")) != nullptr; });
    return menu ? reinterpret_cast<HMENU>(::SendMessageA(menu, MN_GETHMENU, 0, 0)) : nullptr;
}

// Whether the window's thread took the command awaited.
std::atomic<UINT> awaited{0};
std::atomic<bool> awaitedTaken{false};

// Opens the tray menu, lets `inspect` look at it, and chooses the item with `letter`, typed in
// the menu's loop, which gives the window `command`. Under Wine a focus change the window takes
// in late may close the menu before the letter comes: the window then takes no command before
// those posted once the menu has gone, and the menu is opened again.
bool ChooseFromTrayMenu(const Driver& d, char letter, UINT command,
                        const std::function<void(HMENU)>& inspect = nullptr) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        awaited = command;
        awaitedTaken = false;
        HMENU menu = OpenTrayMenu(d);
        if (menu == nullptr) {
            continue;
        }
        if (inspect) {
            inspect(menu);
        }
        ::PostMessageA(ShownWindow("#32768"), WM_CHAR, static_cast<WPARAM>(letter), 0);
        WaitUntil([] { return ShownWindow("#32768") == nullptr; });
        PostedMessagesHandled(d);
        if (awaitedTaken) {
            return true;
        }
    }
    return false;
}

// One run of the window, logged in with the stored settings' defaults, through hiding and
// restoring in every way, the tray menu, and Exit.
TEST(Tray, HideRestoreTheTrayMenuAndExit) {
    MainWindowHarness harness;
    harness.LogInAtStart();
    // Whether the shell held the window's icon when the window got its last message, after its
    // own end's handlers. The main window's comes last, after its children's; the window still
    // exists, so the answer does not depend on the shell noticing its end.
    int iconAtTheEnd = -1; // noted on this thread, which runs the window
    harness.watch = [&](HWND window, UINT message, WPARAM wParam) {
        iconAtTheEnd = message == WM_NCDESTROY ? TrayIconShown(window) : iconAtTheEnd;
        awaitedTaken = awaitedTaken || (message == WM_COMMAND && LOWORD(wParam) == awaited);
    };
    const INT_PTR result = RunSettled(harness, [&](Driver& d) {
        d.Type(IDC_MESSAGE, "hello there");

        // Esc minimises, and minimising hides to the tray, emptying the box undoably.
        ASSERT_TRUE(
            PressKeysInUntil(d.window, IDC_MESSAGE, {VK_ESCAPE}, [&] { return Hidden(d); }));
        EXPECT_EQ(d.Status(1), "0 characters / 0 messages");

        EXPECT_EQ(TrayIconTip(), "Wrenquil");
        for (const UINT other : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN}) {
            EXPECT_TRUE(Notify(d, other) && Hidden(d)) << "mouse message " << other;
        }

        // What a restarting shell does: it forgets every icon, then tells every window.
        NotifyIcon(d.window, NIM_DELETE);
        ::SendMessageA(d.window, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_TRUE(TrayIconShown(d.window)) << "the hidden window's icon after a restart";

        ASSERT_TRUE(DoubleClickTrayIcon());
        ASSERT_TRUE(WaitUntil([&] { return d.Restored(); }));
        EXPECT_FALSE(TrayIconShown(d.window));
        EXPECT_TRUE(PressKeysInUntil(d.window, IDC_MESSAGE, {VK_CONTROL, 'Z'},
                                     [&] { return d.Text(IDC_MESSAGE) == "hello there"; }));

        d.Command(ID_MESSAGE_HIDE);
        ASSERT_TRUE(WaitUntil([&] { return Hidden(d); }));
        // A text set without a change notification leaves the counter behind.
        ::SendMessageA(d.Item(IDC_MESSAGE), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(std::string(161, 'r').c_str()));
        for (const bool loggedIn : {true, false}) {
            SCOPED_TRACE(loggedIn ? "logged in" : "logged out");
            ASSERT_TRUE(ChooseFromTrayMenu(
                d, loggedIn ? 'F' : 'L', loggedIn ? ID_TRAY_LOGOFF : ID_TRAY_LOGIN,
                [&](HMENU menu) {
                    EXPECT_EQ(::GetMenuDefaultItem(menu, FALSE, 0), UINT(ID_TRAY_RESTORE));
                    EXPECT_EQ(::GetMenuState(menu, ID_TRAY_LOGIN, 0) & MF_GRAYED,
                              loggedIn ? MF_GRAYED : 0u);
                    EXPECT_EQ(::GetMenuState(menu, ID_TRAY_LOGOFF, 0) & MF_GRAYED,
                              loggedIn ? 0u : MF_GRAYED);
                }));
            if (loggedIn) {
                EXPECT_TRUE(WaitUntil([&] { return d.Status(0) == LOGGED_OUT_TEXT; }));
            }
        }
        HWND login = d.WaitForDialog("Login");
        ::SetDlgItemTextA(login, IDC_PASSWORD, "pw");
        Driver::Click(login, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return d.Status(0) == LoggedInStatusText("ann"); }));
        ASSERT_TRUE(ChooseFromTrayMenu(d, 'R', ID_TRAY_RESTORE));
        EXPECT_TRUE(WaitUntil([&] { return d.Restored(); })) << "the tray menu's Restore";
        EXPECT_TRUE(WaitUntil([&] { return d.Status(1) == "161 characters / 2 messages"; }));

        d.Command(ID_MESSAGE_HIDE);
        ASSERT_TRUE(WaitUntil([&] { return Hidden(d); }));
        ASSERT_TRUE(ChooseFromTrayMenu(d, 'X', ID_TRAY_EXIT));
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(d.window); }));
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(iconAtTheEnd, 0);
}

// Always Show Icon keeps the icon beside the shown window, through a restart of the shell and
// a trip to the tray. (Start Minimized and Minimize to the System Tray off: main window tests.)
TEST(Tray, AlwaysShowIconKeepsTheIconBesideTheShownWindow) {
    MainWindowHarness harness;
    harness.StoreNumber("AlwaysShowIcon", 1);
    RunSettled(harness, [&](Driver& d) {
        EXPECT_TRUE(TrayIconShown(d.window));
        // What a restarting shell does: it forgets every icon, then tells every window.
        NotifyIcon(d.window, NIM_DELETE);
        ::SendMessageA(d.window, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_TRUE(TrayIconShown(d.window)) << "after a restart";
        // What the title bar's minimise button sends.
        ::SendMessageA(d.window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(Hidden(d));
        ASSERT_TRUE(Notify(d, WM_LBUTTONDBLCLK));
        EXPECT_TRUE(WaitUntil([&] { return d.Restored(); }));
        EXPECT_TRUE(TrayIconShown(d.window)) << "after restoring";
    });
}

// While no shell takes icons (at log-on, before it has started), hiding minimises the window
// instead, so it stays on the task bar; once the shell is there, hiding goes to the tray again.
TEST(Tray, WithoutAShellHidingLeavesTheWindowOnTheTaskBar) {
    // Found before the shell's own window, it refuses every icon (WM_COPYDATA gives FALSE), as
    // no shell would take one.
    WNDCLASSA noShell{};
    noShell.lpfnWndProc = ::DefWindowProcA;
    noShell.lpszClassName = "Shell_TrayWnd";
    ::RegisterClassA(&noShell);
    HWND shell = ::CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   nullptr, nullptr);
    MainWindowHarness harness;
    RunSettled(harness, [&](Driver& d) {
        for (const bool shellThere : {false, true}) {
            SCOPED_TRACE(shellThere ? "with a shell" : "without a shell");
            d.Command(ID_MESSAGE_HIDE);
            EXPECT_TRUE(WaitUntil([&] {
                return shellThere ? Hidden(d) : ::IsIconic(d.window) && ::IsWindowVisible(d.window);
            }));
            ::ShowWindow(d.window, SW_RESTORE);
            ::PostMessageA(shell, WM_CLOSE, 0, 0); // the shell has started
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(shell); }));
            ::SendMessageA(d.window, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        }
    });
}

} // namespace
} // namespace wrenquil
