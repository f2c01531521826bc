// The window's life in the notification area, driven with real mouse clicks on Wine's tray
// window and real keys.
#include "desktop_input.h"
#include "main_window_harness.h"

#include "core/login_state.h"
#include "res/resource.h"
#include "shell/messages.h"
#include "shell/tray/tray_icon.h"

#include <shellapi.h>

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

const std::string kCounterEmpty = "0 characters / 0 messages";

bool Hidden(const Driver& d) {
    return !::IsWindowVisible(d.window) && TrayIconShown(d.window);
}

void HideToTray(const Driver& d) {
    d.Command(ID_MESSAGE_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return Hidden(d); })) << WindowState(d.window);
}

// The tray menu, opened with a right-click on the icon; null (and a failure) when it is not.
HMENU OpenTrayMenu(const Driver& d, const MessageLog& log) {
    if (const auto clicked = ClickTrayIcon(MouseClick::Right, d.window, log); !clicked) {
        ADD_FAILURE() << clicked.message();
        return nullptr;
    }
    HWND popup = nullptr;
    if (!WaitUntil([&] { return (popup = ShownPopupMenu()) != nullptr; })) {
        ADD_FAILURE() << "no menu after the right-click; " << WindowState(d.window);
        return nullptr;
    }
    return MenuOf(popup);
}

TEST(Tray, HidingEmptiesTheBoxUndoablyAndADoubleClickOnTheIconBringsTheWindowBack) {
    const struct {
        const char* name;
        bool byEsc; // else the Message > Hide command
        int alwaysShowIcon;
    } cases[] = {
        {"Hide command", false, 0},
        {"Esc", true, 0},
        {"Hide command, icon always shown", false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowHarness harness;
        harness.LogInAtStart();
        harness.settings.WriteNumber("AlwaysShowIcon", c.alwaysShowIcon);
        MessageLog log({WM_TRAYNOTIFY});
        RunSettled(
            harness,
            [&](Driver& d) {
                SCOPED_TRACE(c.name); // the script runs on a thread of its own
                const std::string counter = "11 characters / 1 message";
                d.Type(IDC_MESSAGE, "hello there");
                ASSERT_EQ(d.Status(1), counter);
                ASSERT_TRUE(d.Enabled(IDC_SEND));
                ASSERT_EQ(TrayIconShown(d.window), c.alwaysShowIcon != 0);

                if (c.byEsc) {
                    ASSERT_TRUE(PressKeysInUntil(d.window, IDC_MESSAGE, {VK_ESCAPE},
                                                 [&] { return Hidden(d); }));
                } else {
                    HideToTray(d);
                }
                EXPECT_EQ(d.Text(IDC_MESSAGE), "");
                EXPECT_EQ(d.Status(1), kCounterEmpty);
                EXPECT_FALSE(d.Enabled(IDC_SEND));

                ASSERT_TRUE(ClickTrayIcon(MouseClick::Double, d.window, log));
                ASSERT_TRUE(WaitUntil([&] { return d.Restored(); })) << WindowState(d.window);
                EXPECT_EQ(TrayIconShown(d.window), c.alwaysShowIcon != 0);

                EXPECT_TRUE(PressKeysInUntil(d.window, IDC_MESSAGE, {VK_CONTROL, 'Z'},
                                             [&] { return d.Text(IDC_MESSAGE) == "hello there"; }));
                EXPECT_EQ(d.Status(1), counter);
                EXPECT_TRUE(d.Enabled(IDC_SEND));
            },
            &log);
    }
}

TEST(Tray, MinimisingGoesToTheTrayOnlyWithMinimizeToTray) {
    for (const int minimizeToTray : {1, 0}) {
        SCOPED_TRACE(minimizeToTray);
        MainWindowHarness harness;
        harness.settings.WriteNumber("MinimizeToTray", minimizeToTray);
        RunSettled(harness, [&](Driver& d) {
            SCOPED_TRACE(minimizeToTray);
            d.Type(IDC_MESSAGE, "kept unless hidden");
            // What the title bar's minimise button sends.
            ::PostMessageA(d.window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            ASSERT_TRUE(WaitUntil([&] {
                return minimizeToTray ? !::IsWindowVisible(d.window) : ::IsIconic(d.window) != 0;
            })) << WindowState(d.window);
            ::SendMessageA(d.window, WM_NULL, 0, 0); // the minimising has been handled
            EXPECT_EQ(TrayIconShown(d.window), minimizeToTray != 0);
            EXPECT_EQ(::IsWindowVisible(d.window) != FALSE, minimizeToTray == 0);
            EXPECT_EQ(d.Text(IDC_MESSAGE), minimizeToTray ? "" : "kept unless hidden");
        });
    }
}

TEST(Tray, RightClickOnTheIconOffersTheLoginCommandNotInUse) {
    const struct {
        const char* name;
        bool loggedIn;
        UINT greyed;
        UINT offered;
    } cases[] = {
        {"logged out", false, ID_TRAY_LOGOFF, ID_TRAY_LOGIN},
        {"logged in", true, ID_TRAY_LOGIN, ID_TRAY_LOGOFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowHarness harness;
        if (c.loggedIn) {
            harness.LogInAtStart();
        }
        MessageLog log({WM_TRAYNOTIFY});
        RunSettled(
            harness,
            [&](Driver& d) {
                SCOPED_TRACE(c.name);
                HideToTray(d);
                HMENU menu = OpenTrayMenu(d, log);
                ASSERT_NE(menu, nullptr);
                EXPECT_EQ(::GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(ID_TRAY_RESTORE));
                EXPECT_TRUE(::GetMenuState(menu, c.greyed, MF_BYCOMMAND) & MF_GRAYED);
                const UINT enabledItems[] = {ID_TRAY_RESTORE, c.offered, ID_TRAY_PREFERENCES,
                                             ID_TRAY_EXIT};
                for (const UINT enabled : enabledItems) {
                    EXPECT_FALSE(::GetMenuState(menu, enabled, MF_BYCOMMAND) & MF_GRAYED)
                        << enabled;
                }
                ASSERT_TRUE(CloseMenuWithEsc());
                ::SendMessageA(d.window, WM_NULL, 0, 0); // the menu's handler has returned
                EXPECT_TRUE(Hidden(d)) << WindowState(d.window);

                ASSERT_NE(OpenTrayMenu(d, log), nullptr);
                ASSERT_TRUE(ClickMenuItem(c.offered));
                if (c.loggedIn) {
                    EXPECT_TRUE(WaitUntil([&] { return d.Status(0) == kLoggedOutText; }));
                } else {
                    HWND login = d.WaitForDialog("Login");
                    ASSERT_NE(login, nullptr);
                    Driver::Click(login, IDCANCEL);
                    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(login); }));
                }
            },
            &log);
        EXPECT_EQ(harness.login.loggedIn, 0);
    }
}

TEST(Tray, RestoreFromTheMenuRecountsTheMessage) {
    MainWindowHarness harness;
    harness.LogInAtStart();
    MessageLog log({WM_TRAYNOTIFY});
    RunSettled(
        harness,
        [&](Driver& d) {
            HideToTray(d);
            // A text set without a change notification leaves the counter behind.
            ::SendMessageA(d.Item(IDC_MESSAGE), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(std::string(161, 'r').c_str()));
            ASSERT_EQ(d.Status(1), kCounterEmpty);
            ASSERT_FALSE(d.Enabled(IDC_SEND));

            ASSERT_NE(OpenTrayMenu(d, log), nullptr);
            ASSERT_TRUE(ClickMenuItem(ID_TRAY_RESTORE));
            ASSERT_TRUE(WaitUntil([&] { return d.Restored(); })) << WindowState(d.window);
            EXPECT_FALSE(TrayIconShown(d.window));
            EXPECT_TRUE(WaitUntil([&] { return d.Status(1) == "161 characters / 2 messages"; }));
            EXPECT_TRUE(d.Enabled(IDC_SEND));
        },
        &log);
}

TEST(Tray, ExitFromTheMenuEndsWithZeroAndTakesTheIconAway) {
    MainWindowHarness harness;
    HWND window = nullptr;
    int iconAtTheEnd = -1; // unknown until the window's last message
    MessageLog log({WM_TRAYNOTIFY, WM_NCDESTROY});
    log.beforeSentMessage = [&](const MessageLog::Entry& e) {
        // The window still exists here, so the probe does not depend on the shell noticing
        // its destruction.
        if (e.message == WM_NCDESTROY && e.window == window) {
            iconAtTheEnd = TrayIconShown(window);
        }
    };
    const INT_PTR result = RunSettled(
        harness,
        [&](Driver& d) {
            window = d.window;
            HideToTray(d);
            ASSERT_NE(OpenTrayMenu(d, log), nullptr);
            ASSERT_TRUE(ClickMenuItem(ID_TRAY_EXIT));
            EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(d.window); }));
        },
        &log);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(iconAtTheEnd, 0);
}

TEST(Tray, TaskbarCreatedAddsTheIconAgainWhenTheWindowIsHiddenOrTheIconAlwaysShown) {
    const struct {
        const char* name;
        bool hidden;
        int alwaysShowIcon;
        bool iconAgain;
    } cases[] = {
        {"hidden", true, 0, true},
        {"shown", false, 0, false},
        {"shown, icon always shown", false, 1, true},
    };
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowHarness harness;
        harness.settings.WriteNumber("AlwaysShowIcon", c.alwaysShowIcon);
        MessageLog log({WM_TRAYNOTIFY});
        RunSettled(
            harness,
            [&](Driver& d) {
                SCOPED_TRACE(c.name);
                if (c.hidden) {
                    HideToTray(d);
                }
                // What a restarting shell does: it forgets every icon, then tells every window.
                NOTIFYICONDATAA record{};
                record.cbSize = NOTIFYICONDATAA_V2_SIZE;
                record.hWnd = d.window;
                record.uID = kTrayIconId;
                ::Shell_NotifyIconA(NIM_DELETE, &record);
                ASSERT_FALSE(TrayIconShown(d.window));
                ::SendMessageA(d.window, taskbarCreated, 0, 0);
                EXPECT_EQ(TrayIconShown(d.window), c.iconAgain) << WindowState(d.window);
                if (c.hidden) {
                    ASSERT_TRUE(ClickTrayIcon(MouseClick::Double, d.window, log));
                    EXPECT_TRUE(WaitUntil([&] { return d.Restored(); })) << WindowState(d.window);
                }
            },
            &log);
    }
}

TEST(Tray, OtherMouseMessagesFromTheIconDoNothing) {
    MainWindowHarness harness;
    MessageLog log({WM_TRAYNOTIFY});
    RunSettled(
        harness,
        [&](Driver& d) {
            HideToTray(d);
            ASSERT_TRUE(ClickTrayIcon(MouseClick::Single, d.window, log));
            for (const UINT other :
                 {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK,
                  WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}) {
                ::PostMessageA(d.window, WM_TRAYNOTIFY, kTrayIconId, other);
            }
            ASSERT_TRUE(log.WaitFor(d.window, WM_TRAYNOTIFY, 1, [](const MessageLog::Entry& e) {
                return e.wParam == kTrayIconId && e.lParam == WM_MBUTTONDBLCLK;
            }));
            EXPECT_TRUE(Hidden(d)) << WindowState(d.window);
            EXPECT_EQ(ShownPopupMenu(), nullptr);
        },
        &log);
}

// Start minimized with Minimize to the System Tray: once the dialog's loop has settled, the
// window is in the tray, not back on the screen.
TEST(Tray, StartMinimizedEndsInTheTray) {
    MainWindowHarness harness;
    harness.settings.WriteNumber("StartMinimized", 1);
    RunSettled(harness, [&](Driver& d) {
        EXPECT_FALSE(::IsWindowVisible(d.window));
        EXPECT_TRUE(TrayIconShown(d.window));
    });
}

} // namespace
} // namespace wrenquil
