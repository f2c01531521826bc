#include "desktop_input.h"
#include "main_window_harness.h"

#include "core/login_state.h"
#include "core/settings/password.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "res/resource.h"
#include "shell/main_window/wrenquil_dlg.h"
#include "shell/messages.h"

#include <atomic>

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

const std::string kCounterEmpty = "0 characters / 0 messages";

// Fills in and accepts the Login dialog that the window has just opened.
void LogIn(Driver& d, const char* user, const char* password) {
    HWND login = d.WaitForDialog("Login");
    ASSERT_NE(login, nullptr);
    ::SetDlgItemTextA(login, IDC_USERNAME, user);
    ::SetDlgItemTextA(login, IDC_PASSWORD, password);
    Driver::Click(login, IDOK);
    // The logged-in text is the login's last step.
    ASSERT_TRUE(WaitUntil([&] { return d.Status(0) == LoggedInStatusText(user); }));
}

TEST(MainWindow, StartsLoggedOutOnAnEmptyRegistry) {
    MainWindowHarness harness;
    const INT_PTR result = harness.Run([&](Driver& d) {
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(d.window) != FALSE; }));
        EXPECT_EQ(d.Status(0), kLoggedOutText);
        EXPECT_EQ(d.Status(1), kCounterEmpty);
        EXPECT_FALSE(d.Enabled(IDC_SEND));
        EXPECT_FALSE(d.MenuEnabled(ID_MESSAGE_SEND));
        EXPECT_TRUE(d.MenuEnabled(ID_MESSAGE_LOGIN));
        EXPECT_FALSE(d.MenuEnabled(ID_MESSAGE_LOGOFF));
        EXPECT_FALSE(::IsWindowVisible(d.Item(IDC_ADD_TRAY)));
        EXPECT_FALSE(::IsWindowVisible(d.Item(IDC_REMOVE_TRAY)));
        EXPECT_EQ(::SendMessageA(d.window, WM_QUERYDRAGICON, 0, 0),
                  reinterpret_cast<LRESULT>(
                      ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))));
    });
    EXPECT_EQ(result, 0);
    RegKey key = 0;
    EXPECT_EQ(harness.registry.OpenKey(kCurrentUserKey,
                                       "Software\\Halvory Limited\\Wrenquil\\Preferences", kKeyRead,
                                       &key),
              kRegSuccess);
}

TEST(MainWindow, CountsTypedTextAndFollowsLoginMessageAndNumberForSend) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        const std::pair<std::string, std::string> counts[] = {
            {std::string(161, 'a'), "161 characters / 2 messages"},
            {"a\r\nb", "4 characters / 1 message"},
        };
        for (const auto& [text, counter] : counts) {
            d.Type(IDC_MESSAGE, text);
            EXPECT_EQ(d.Status(1), counter);
        }
        d.Type(IDC_MOBILE, "07700");
        EXPECT_FALSE(d.Enabled(IDC_SEND)); // not logged in yet

        d.Command(ID_MESSAGE_LOGIN);
        LogIn(d, "ann", "pw");
        EXPECT_TRUE(d.Enabled(IDC_SEND));
        EXPECT_TRUE(d.MenuEnabled(ID_MESSAGE_SEND));
        EXPECT_FALSE(d.MenuEnabled(ID_MESSAGE_LOGIN));
        EXPECT_TRUE(d.MenuEnabled(ID_MESSAGE_LOGOFF));

        d.Type(IDC_MOBILE, "");
        EXPECT_FALSE(d.Enabled(IDC_SEND));
        EXPECT_FALSE(d.MenuEnabled(ID_MESSAGE_SEND));
        d.Type(IDC_MOBILE, "1");
        EXPECT_TRUE(d.Enabled(IDC_SEND));
        d.Type(IDC_MESSAGE, "");
        EXPECT_FALSE(d.Enabled(IDC_SEND));
        EXPECT_EQ(d.Status(1), kCounterEmpty);
        d.Type(IDC_MESSAGE, "x");
        EXPECT_TRUE(d.Enabled(IDC_SEND));

        d.Command(ID_MESSAGE_LOGOFF);
        EXPECT_TRUE(WaitUntil([&] { return d.Status(0) == kLoggedOutText; }));
        EXPECT_FALSE(d.Enabled(IDC_SEND));
    });
    EXPECT_EQ(harness.login.userName, "ann");
    EXPECT_EQ(harness.login.loggedIn, 0);
}

TEST(LoginDialog, RefusesEmptyFieldsAndKeepsTheRecordOnCancel) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        struct Case {
            const char* user;
            const char* password;
            const char* info; // the box shown, or nothing
            int focused;      // the edit that has the focus afterwards
        } cases[] = {
            {"", "pw", "Enter Username", IDC_USERNAME},
            {"", "", "Enter Username", IDC_USERNAME},
            {"ann", "", "Enter Password", IDC_PASSWORD},
        };
        d.Command(ID_MESSAGE_LOGIN);
        HWND login = d.WaitForDialog("Login");
        ASSERT_NE(login, nullptr);
        EXPECT_EQ(Driver::DialogItemText(login, IDC_PASSWORD), "");
        for (const Case& c : cases) {
            ::SetDlgItemTextA(login, IDC_USERNAME, c.user);
            ::SetDlgItemTextA(login, IDC_PASSWORD, c.password);
            Driver::Click(login, IDOK);
            HWND info = d.WaitForDialog("Info");
            ASSERT_NE(info, nullptr) << c.info;
            EXPECT_EQ(Driver::BoxText(info), c.info);
            Driver::Click(info, IDOK);
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(info); }));
            EXPECT_TRUE(::IsWindow(login)) << "the dialog stays open";
            EXPECT_TRUE(WaitUntil([&] { return FocusOf(login) == ::GetDlgItem(login, c.focused); }))
                << c.info;
        }
        ::SetDlgItemTextA(login, IDC_USERNAME, "bob");
        Driver::Click(login, IDCANCEL);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(login); }));
        EXPECT_EQ(d.Status(0), kLoggedOutText);

        d.Command(ID_MESSAGE_LOGIN); // offers the name in use, and a single blank is a name
        login = d.WaitForDialog("Login");
        EXPECT_EQ(Driver::DialogItemText(login, IDC_USERNAME), "");
        ::SetDlgItemTextA(login, IDC_USERNAME, " ");
        ::SetDlgItemTextA(login, IDC_PASSWORD, "pw");
        Driver::Click(login, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return d.Status(0) == LoggedInStatusText(" "); }));
    });
    EXPECT_EQ(harness.login.userName, " ");
    EXPECT_EQ(harness.login.password, "pw");
}

// Typed at once, a name goes into the user name box while there is none yet, not masked into
// the password box; with a name there, the password is what is typed.
TEST(LoginDialog, OpensWithTheFocusInTheUserNameBoxUntilThereIsAName) {
    for (const std::string stored : {"", "ann"}) {
        MainWindowHarness harness;
        harness.settings.WriteString("User", stored);
        RunSettled(harness, [&](Driver& d) {
            SCOPED_TRACE("stored name \"" + stored + "\"");
            d.Command(ID_MESSAGE_LOGIN);
            HWND login = d.WaitForDialog("Login");
            ASSERT_TRUE(login != nullptr && BringToFront(login));
            auto typed = [&] {
                return Driver::DialogItemText(login, IDC_USERNAME) != stored ||
                       !Driver::DialogItemText(login, IDC_PASSWORD).empty();
            };
            PressKeysUntil({'B'}, typed);
            EXPECT_EQ(Driver::DialogItemText(login, IDC_USERNAME), stored.empty() ? "b" : stored);
            EXPECT_EQ(Driver::DialogItemText(login, IDC_PASSWORD), stored.empty() ? "" : "b");
            Driver::Click(login, IDCANCEL);
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(login); }));
        });
    }
}

TEST(MainWindow, AutoLogonUsesStoredCredentialsOrAsksBeforeTheWindowShows) {
    {
        MainWindowHarness harness;
        harness.settings.WriteNumber("AutoLogon", 1);
        harness.settings.SaveCredentials(true, "ann", "pw", "07700");
        harness.Run([&](Driver& d) {
            EXPECT_EQ(d.Status(0), LoggedInStatusText("ann"));
            EXPECT_EQ(d.Text(IDC_MOBILE), "07700");
            EXPECT_FALSE(d.Enabled(IDC_SEND)); // no message yet
            d.Type(IDC_MESSAGE, "hi");
            EXPECT_TRUE(d.Enabled(IDC_SEND));
        });
        EXPECT_EQ(harness.login.password, "pw");
    }
    for (const bool accept : {true, false}) {
        MainWindowHarness harness;
        harness.settings.WriteNumber("AutoLogon", 1);
        harness.settings.WriteString("User", "ann");
        harness.Run(
            [&](Driver& d) {
                HWND login = d.WaitForDialog("Login");
                ASSERT_NE(login, nullptr);
                EXPECT_FALSE(::IsWindowVisible(d.window));
                EXPECT_EQ(d.Status(0), kNotLoggedInText);
                EXPECT_EQ(Driver::DialogItemText(login, IDC_USERNAME), "ann");
                if (accept) {
                    LogIn(d, "ann", "secret");
                } else {
                    Driver::Click(login, IDCANCEL);
                }
                ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(d.window) != FALSE; }));
                EXPECT_EQ(d.Status(0), accept ? LoggedInStatusText("ann") : kNotLoggedInText);
                EXPECT_EQ(d.MenuEnabled(ID_MESSAGE_LOGIN), !accept);
                EXPECT_TRUE(d.MenuEnabled(ID_MESSAGE_LOGOFF));
                EXPECT_FALSE(d.Enabled(IDC_SEND));
            },
            false);
    }
}

int TextWidth(HWND window, HFONT font, const std::string& text) {
    HDC dc = ::GetDC(window);
    HGDIOBJ previous = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(window, dc);
    return size.cx;
}

// The picture a static control shows (bitmap or icon), in pixels.
SIZE ImageSize(HWND control) {
    BITMAP bitmap{};
    if (auto image =
            reinterpret_cast<HBITMAP>(::SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0))) {
        ::GetObjectA(image, sizeof bitmap, &bitmap);
    } else if (auto icon = reinterpret_cast<HICON>(::SendMessageA(control, STM_GETICON, 0, 0))) {
        ICONINFO info{};
        ::GetIconInfo(icon, &info);
        ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
    }
    return {bitmap.bmWidth, bitmap.bmHeight};
}

// Shown at the window's scale: the picture about as large as its place in dialog units.
void ExpectScaledLike(HWND control, int widthUnits, int heightUnits) {
    RECT units{0, 0, widthUnits, heightUnits};
    ::MapDialogRect(::GetParent(control), &units);
    const SIZE shown = ImageSize(control);
    EXPECT_NEAR(shown.cx, units.right, units.right * 0.2) << widthUnits;
    EXPECT_NEAR(shown.cy, units.bottom, units.bottom * 0.2) << heightUnits;
}

// Also run with the system at 200 % (see tests/CMakeLists.txt).
TEST(WindowScale, CounterPartFitsTheWidestCounterAndThePicturesFollowTheScale) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        HWND bar = d.Item(IDC_STATUSBAR);
        const auto font = reinterpret_cast<HFONT>(::SendMessageA(bar, WM_GETFONT, 0, 0));
        const int widest = TextWidth(bar, font, "30000 characters / 224 messages");
        HDC dc = ::GetDC(bar);
        const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
        ::ReleaseDC(bar, dc);
        const int averageChar = TextWidth(bar, font, "x");

        int edges[2] = {};
        ASSERT_EQ(::SendMessageA(bar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
        RECT counter{}, window{};
        ::SendMessageA(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&counter));
        ::GetWindowRect(d.window, &window);
        const int counterWidth = counter.right - counter.left;
        const int textInset = 3 * dpi / 96; // each side of a part's text
        EXPECT_GE(counterWidth, widest + 2 * textInset) << "dpi " << dpi;
        const int share = static_cast<int>((window.right - window.left) * 0.72);
        EXPECT_LE(edges[0], share);
        if (edges[0] < share) { // gave way, but no further than needed
            EXPECT_LE(counterWidth, widest + 4 * averageChar);
        }
        ExpectScaledLike(d.Item(IDC_LOGO), 43, 28);

        d.Command(ID_HELP_ABOUT);
        HWND about = d.WaitForDialog("About Wrenquil");
        ASSERT_NE(about, nullptr);
        ExpectScaledLike(::GetWindow(about, GW_CHILD), 20, 20); // the icon
        Driver::Click(about, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(about); }));
    });
}

TEST(MainWindow, EnterInTheNumberBoxDoesNothingNorDoesASixteenthCharacter) {
    MainWindowHarness harness;
    const MessageLog log({WM_COMMAND});
    harness.Run([&](Driver& d) {
        d.Key(IDC_MOBILE, VK_RETURN);
        // Keys arrive in order: once a 7 is in, Enter was handled.
        ASSERT_TRUE(d.KeyUntil(IDC_MOBILE, '7', [&] { return !d.Text(IDC_MOBILE).empty(); }));
        EXPECT_TRUE(::IsWindowVisible(d.window));
        EXPECT_FALSE(::IsIconic(d.window));

        // A 16th character typed at the end of a full box: the box tells its window that it
        // refused it.
        d.Type(IDC_MOBILE, "123456789012345");
        const auto refused = [](const MessageLog::Entry& e) {
            return HIWORD(e.wParam) == EN_MAXTEXT && LOWORD(e.wParam) == IDC_MOBILE;
        };
        ASSERT_TRUE(d.KeyUntil(IDC_MOBILE, VK_END, [&] {
            DWORD start = 0, end = 0;
            ::SendMessageA(d.Item(IDC_MOBILE), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                           reinterpret_cast<LPARAM>(&end));
            return start == 15 && end == 15;
        }));
        PressKeys({'6'});
        EXPECT_TRUE(log.WaitFor(d.window, WM_COMMAND, 1, refused));
        EXPECT_EQ(d.Text(IDC_MOBILE), "123456789012345");
    });
}

// The balloon this process shows, with its text; null while none.
std::pair<HWND, std::string> ShownBalloon() {
    HWND tip = ShownWindow(TOOLTIPS_CLASSA);
    if (tip == nullptr || (::GetWindowLongA(tip, GWL_STYLE) & TTS_BALLOON) == 0) {
        return {nullptr, ""};
    }
    char text[512] = "";
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    if (::SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool))) {
        ::SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    }
    return {tip, text};
}

TEST(MainWindow, PastedNumberIsTakenWholeWithoutSeparatorsOrRefusedWithABalloon) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        struct Case {
            const char* before;
            int selectionStart, selectionEnd;
            const char* clipboard;
            BYTE modifier, key;
            const char* after;
        } cases[] = {
            {"", 0, 0, "+44 7700 900 123", VK_CONTROL, 'V', "+447700900123"},
            {"07700 900 123", 0, 5, "+44 7700", VK_SHIFT, VK_INSERT, "+447700 900 123"},
            {"0044", 4, 4, "7700 900 123 45", VK_CONTROL, 'V', nullptr}, // 16 even stripped
        };
        HWND box = d.Item(IDC_MOBILE);
        ::PostMessageA(d.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(d.window) == box; }));
        for (const Case& c : cases) {
            d.Type(IDC_MOBILE, c.before);
            ::SendMessageA(box, EM_SETSEL, c.selectionStart, c.selectionEnd);
            ASSERT_TRUE(SetClipboardText(c.clipboard));
            const auto done = [&] {
                return c.after ? d.Text(IDC_MOBILE) == c.after : ShownBalloon().first != nullptr;
            };
            PressKeysUntil({c.modifier, c.key}, done);
            EXPECT_EQ(d.Text(IDC_MOBILE), c.after ? c.after : c.before) << c.clipboard;
            const std::string balloon = ShownBalloon().second;
            EXPECT_EQ(balloon.find("at most 15 characters") != std::string::npos, !c.after)
                << c.clipboard << ": " << balloon;
        }
        PressKeys({VK_END}); // going on in the box takes the balloon away
        EXPECT_TRUE(WaitUntil([] { return ShownBalloon().first == nullptr; }));
    });
}

TEST(MainWindow, EscMinimisesFromEitherBoxAndKeepsTheMessage) {
    for (const int box : {IDC_MOBILE, IDC_MESSAGE}) {
        MainWindowHarness harness;
        harness.settings.WriteNumber("MinimizeToTray", 0);
        harness.Run([&](Driver& d) {
            d.Type(IDC_MESSAGE, "keep me");
            EXPECT_TRUE(d.KeyUntil(box, VK_ESCAPE, [&] { return ::IsIconic(d.window) != FALSE; }))
                << box;
            EXPECT_TRUE(::IsWindow(d.window));
            EXPECT_EQ(d.Text(IDC_MESSAGE), "keep me");
        });
    }
}

TEST(MainWindow, CtrlASelectsTheWholeMessage) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        d.Type(IDC_MESSAGE, "select\r\nall of me");
        ::SendMessageA(d.Item(IDC_MESSAGE), EM_SETSEL, 2, 2);
        ::PostMessageA(d.Item(IDC_MESSAGE), WM_CHAR, 1, 1);
        DWORD start = 0, end = 0;
        EXPECT_TRUE(WaitUntil([&] {
            ::SendMessageA(d.Item(IDC_MESSAGE), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                           reinterpret_cast<LPARAM>(&end));
            return start == 0 && end == 17;
        }));
        EXPECT_EQ(d.Text(IDC_MESSAGE), "select\r\nall of me"); // nothing inserted
    });
}

// Esc and the close box cancel each dialog: the main window goes on as before.
TEST(MainWindow, EscAndTheCloseBoxCancelEveryDialog) {
    MainWindowHarness harness;
    harness.settings.SaveCredentials(true, "stored", "old", "0123");
    harness.Run([&](Driver& d) {
        const std::pair<const char*, int> dialogs[] = {{"Login", ID_MESSAGE_LOGIN},
                                                       {"Preferences", ID_OPTIONS_PREFERENCES},
                                                       {"About Wrenquil", ID_HELP_ABOUT}};
        for (const auto& [caption, command] : dialogs) {
            for (const bool esc : {true, false}) {
                SCOPED_TRACE(std::string(caption) + (esc ? ", Esc" : ", close box"));
                d.Command(command);
                HWND dialog = d.WaitForDialog(caption);
                ASSERT_NE(dialog, nullptr);
                ::SetDlgItemTextA(dialog, IDC_PREF_PASSWORD, "typed"); // Preferences only
                const auto gone = [&] { return !::IsWindow(dialog); };
                // Esc as the dialog's loop takes it from the queue: a real key repeated after a
                // lost one would reach the main window once the dialog has gone.
                if (esc) {
                    ::PostMessageA(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
                } else {
                    ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                }
                EXPECT_TRUE(WaitUntil(gone));
                EXPECT_TRUE(::IsWindowVisible(d.window));
                EXPECT_EQ(d.Status(0), kLoggedOutText);
            }
        }
    });
    EXPECT_EQ(harness.login.loggedIn, 0);
    EXPECT_EQ(harness.settings.ReadBytes("Passwd"), ScramblePassword("old"));
}

TEST(MainWindow, TheCloseBoxAltF4AndMessageExitEndWithZeroAndReleaseTheHotKey) {
    for (const char* way : {"close box", "Alt+F4", "Message, Exit"}) {
        SCOPED_TRACE(way);
        MainWindowHarness harness;
        const INT_PTR result = harness.Run([&](Driver& d) {
            EXPECT_FALSE(::RegisterHotKey(nullptr, 7, 0, VK_SCROLL)); // held while it runs
            const auto gone = [&] { return !::IsWindow(d.window); };
            if (way == std::string("Alt+F4")) {
                EXPECT_TRUE(PressKeysInUntil(d.window, IDC_MESSAGE, {VK_MENU, VK_F4}, gone));
            } else if (way == std::string("close box")) {
                ::PostMessageA(d.window, WM_SYSCOMMAND, SC_CLOSE, 0);
            } else {
                d.Command(ID_MESSAGE_EXIT);
            }
            EXPECT_TRUE(WaitUntil(gone));
        });
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(::RegisterHotKey(nullptr, 7, 0, VK_SCROLL));
        ::UnregisterHotKey(nullptr, 7);
    }
}

TEST(MainWindow, HiddenButtonsAddAndDeleteTheTrayIcon) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        const auto iconShown = [&] { return TrayIconShown(d.window); };
        EXPECT_FALSE(iconShown());
        Driver::Click(d.window, IDC_ADD_TRAY);
        EXPECT_TRUE(WaitUntil(iconShown));
        Driver::Click(d.window, IDC_REMOVE_TRAY);
        EXPECT_TRUE(WaitUntil([&] { return !iconShown(); }));
    });
}

// Under Wine the window manager may still be mapping the new window and undo an early
// minimise, so the test counts the window's requests to minimise rather than its state.
int minimiseRequests = 0;
LRESULT CALLBACK CountMinimiseRequests(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_SYSCOMMAND &&
        (msg->wParam & 0xFFF0) == SC_MINIMIZE) {
        ++minimiseRequests;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MainWindow, StartMinimizedMinimisesOnlyAtTheFirstShowing) {
    for (const bool startMinimized : {true, false}) {
        MainWindowHarness harness;
        harness.settings.WriteNumber("StartMinimized", startMinimized);
        harness.settings.WriteNumber("MinimizeToTray", 0);
        minimiseRequests = 0;
        HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, &CountMinimiseRequests, nullptr,
                                         ::GetCurrentThreadId());
        harness.Run(
            [&](Driver& d) {
                if (startMinimized) {
                    EXPECT_TRUE(WaitUntil([&] { return minimiseRequests == 1; }));
                }
                ::ShowWindow(d.window, SW_RESTORE);
                ::ShowWindow(d.window, SW_HIDE);
                ::ShowWindow(d.window, SW_SHOW);
                ::SendMessageA(d.window, WM_NULL, 0, 0); // the shows have been handled
            },
            false);
        ::UnhookWindowsHookEx(hook);
        EXPECT_EQ(minimiseRequests, startMinimized ? 1 : 0);
    }
}

// Refuses, on the thread that runs the window, the creation of every status bar and of the
// next Login dialog once asked to: the system then fails those creations as it would for real.
std::atomic<bool> refuseLoginDialog{false};
LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        char className[64] = {};
        ::GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className);
        const bool login = !IS_INTRESOURCE(create->lpszName) && create->lpszName != nullptr &&
                           std::string(create->lpszName) == "Login";
        if (std::string(className) == STATUSCLASSNAMEA ||
            (login && refuseLoginDialog.exchange(false))) {
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MainWindow, GoesOnWithoutAStatusBarOrWhenTheLoginDialogCannotBeCreated) {
    MainWindowHarness harness;
    HHOOK hook = nullptr;
    harness.beforeRun = [&] {
        hook = ::SetWindowsHookExA(WH_CBT, &RefuseCreation, nullptr, ::GetCurrentThreadId());
    };
    harness.Run(
        [&](Driver& d) {
            HWND box = d.WaitForDialog("Wrenquil");
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(Driver::BoxText(box), "Status Bar not created!");
            Driver::Click(box, IDOK);
            ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(d.window) != FALSE; }));
            EXPECT_EQ(d.Item(IDC_STATUSBAR), nullptr);
            EXPECT_TRUE(d.MenuEnabled(ID_MESSAGE_LOGIN)); // the login state is set up all the same

            refuseLoginDialog = true;
            d.Command(ID_MESSAGE_LOGIN);
            EXPECT_TRUE(WaitUntil([] { return !refuseLoginDialog; }));
            d.Type(IDC_MESSAGE, "still running");
            EXPECT_TRUE(d.MenuEnabled(ID_MESSAGE_LOGIN));
            EXPECT_FALSE(d.MenuEnabled(ID_MESSAGE_LOGOFF));
        },
        false);
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(harness.login.loggedIn, 0);
}

} // namespace
} // namespace wrenquil
