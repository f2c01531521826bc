#include "desktop_input.h"
#include "main_window_harness.h"

#include "core/settings/password.h"
#include "framework/owned_handle.h"
#include "res/resource.h"
#include "shell/messages.h"

#include <commctrl.h>

#include <atomic>

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

const std::string LOGGED_OUT_CONTROLS = "Send off/off, Login on, Logoff off";

// A key typed at once into the Login dialog, as "name/password": a name goes into the name box
// while there is none yet, not masked into the password box; with a name, the password is typed.
std::string TypedIntoLogin(HWND login) {
    const auto boxes = [&] {
        return Driver::DialogItemText(login, IDC_USERNAME) + "/" +
               Driver::DialogItemText(login, IDC_PASSWORD);
    };
    const std::string before = boxes();
    BringToFront(login);
    PressKeysInUntil(nullptr, 0, {'B'}, [&] { return boxes() != before; });
    return boxes();
}

TEST(MainWindow, StartsEmptyAndFollowsTypingLoginAndLogoff) {
    MainWindowHarness harness;
    EXPECT_EQ(
        RunSettled(harness,
                   [&](Driver& d) {
                       EXPECT_EQ(d.Status(0), LOGGED_OUT_TEXT);
                       EXPECT_EQ(d.Status(1), "0 characters / 0 messages");
                       EXPECT_EQ(d.Controls(), LOGGED_OUT_CONTROLS);
                       const auto icon = reinterpret_cast<LRESULT>(::LoadIconA(
                           ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)));
                       for (const WPARAM size : {ICON_BIG, ICON_SMALL}) {
                           EXPECT_EQ(::SendMessageA(d.window, WM_GETICON, size, 0), icon) << size;
                       }
                       EXPECT_EQ(::SendMessageA(d.window, WM_QUERYDRAGICON, 0, 0), icon);

                       // Enter makes a line break, which counts as two.
                       d.Type(IDC_MESSAGE, "a"); // selected as the box takes the focus: replaced
                       EXPECT_TRUE(PressKeysInUntil(d.window, IDC_MESSAGE, {VK_RETURN},
                                                    [&] { return d.Text(IDC_MESSAGE) == "\r\n"; }));
                       EXPECT_EQ(d.Status(1), "2 characters / 1 message");
                       d.Type(IDC_MESSAGE, "a\r\nb");
                       ::SendMessageA(d.Item(IDC_MESSAGE), EM_SETSEL, 2, 2);
                       ::PostMessageA(d.Item(IDC_MESSAGE), WM_CHAR, 1, 1); // Ctrl+A selects it all
                       EXPECT_TRUE(WaitUntil([&] {
                           return ::SendMessageA(d.Item(IDC_MESSAGE), EM_GETSEL, 0, 0) ==
                                  MAKELRESULT(0, 4);
                       }));
                       d.Type(IDC_MOBILE, "07700");

                       // The Login dialog refuses empty fields, keeps the record on Cancel, takes a
                       // blank.
                       const struct {
                           const char *user, *password, *info; // the box shown, or none
                           int button, focused; // the box that has the focus afterwards
                       } steps[] = {{"", "", "Enter Username", IDOK, IDC_USERNAME},
                                    {"", "pw", "Enter Username", IDOK, IDC_USERNAME},
                                    {"ann", "", "Enter Password", IDOK, IDC_PASSWORD},
                                    {"ann", "pw", nullptr, IDCANCEL, 0},
                                    {" ", "pw", nullptr, IDOK, 0}};
                       HWND login = nullptr;
                       for (const auto& step : steps) {
                           if (!::IsWindow(login)) {
                               d.Command(ID_MESSAGE_LOGIN);
                               login = d.WaitForDialog("Login");
                               EXPECT_EQ(TypedIntoLogin(login), "b/");
                           }
                           ::SetDlgItemTextA(login, IDC_USERNAME, step.user);
                           ::SetDlgItemTextA(login, IDC_PASSWORD, step.password);
                           Driver::Click(login, step.button);
                           if (step.info == nullptr) {
                               ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(login); }));
                               continue;
                           }
                           HWND info = d.WaitForDialog("Info");
                           EXPECT_EQ(Driver::BoxText(info), step.info);
                           Driver::Click(info, IDOK);
                           EXPECT_TRUE(WaitUntil([&] {
                               return FocusOf(login) == ::GetDlgItem(login, step.focused);
                           })) << step.info;
                       }
                       EXPECT_TRUE(
                           WaitUntil([&] { return d.Status(0) == LoggedInStatusText(" "); }));
                       EXPECT_EQ(d.Controls(), "Send on/on, Login off, Logoff on");
                       d.Type(IDC_MOBILE, "");
                       EXPECT_EQ(d.Controls(), "Send off/off, Login off, Logoff on");
                       d.Command(ID_MESSAGE_LOGOFF);
                       EXPECT_TRUE(WaitUntil([&] { return d.Status(0) == LOGGED_OUT_TEXT; }));
                       EXPECT_EQ(d.Controls(), LOGGED_OUT_CONTROLS);
                       d.Command(ID_MESSAGE_LOGIN);
                       login = d.WaitForDialog("Login");
                       EXPECT_EQ(TypedIntoLogin(login), " /b");
                       Driver::Click(login, IDCANCEL);

                       // The hidden buttons put up and take down the tray icon.
                       EXPECT_FALSE(::IsWindowVisible(d.Item(IDC_ADD_TRAY)));
                       Driver::Click(d.window, IDC_ADD_TRAY);
                       EXPECT_TRUE(WaitUntil([&] { return TrayIconShown(d.window); }));
                       Driver::Click(d.window, IDC_REMOVE_TRAY);
                       EXPECT_TRUE(WaitUntil([&] { return !TrayIconShown(d.window); }));
                   }),
        0);
    EXPECT_EQ(harness.login.password, "pw");
}

int TextWidth(HWND window, const std::string& text) {
    const WindowDC dc(window, reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The logo is about as large as its place in dialog units, at the window's scale.
void ExpectLogoScaled(HWND logo) {
    RECT units{0, 0, 43, 28};
    ::MapDialogRect(::GetParent(logo), &units);
    BITMAP bitmap{};
    ::GetObjectA(reinterpret_cast<HBITMAP>(::SendMessageA(logo, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                 sizeof bitmap, &bitmap);
    EXPECT_NEAR(bitmap.bmWidth, units.right, units.right * 0.2);
    EXPECT_NEAR(bitmap.bmHeight, units.bottom, units.bottom * 0.2);
}

// Also run with the system at 200 % (see tests/CMakeLists.txt).
TEST(WindowScale, CounterPartFitsTheWidestCounterAndThePicturesFollowTheScale) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        HWND bar = d.Item(IDC_STATUSBAR);
        const int widest = TextWidth(bar, "30000 characters / 224 messages");
        int edges[2] = {};
        ASSERT_EQ(::SendMessageA(bar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
        RECT counter{}, window{};
        ::SendMessageA(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&counter));
        ::GetWindowRect(d.window, &window);
        const int counterWidth = counter.right - counter.left;
        const int textInset = 3 * ::GetDeviceCaps(WindowDC(bar).get(), LOGPIXELSX) / 96; // a side
        EXPECT_GE(counterWidth, widest + 2 * textInset);
        const int share = static_cast<int>((window.right - window.left) * 0.72);
        EXPECT_LE(edges[0], share);
        if (edges[0] < share) { // gave way, but no further than needed
            EXPECT_LE(counterWidth, widest + 4 * TextWidth(bar, "x"));
        }
        ExpectLogoScaled(d.Item(IDC_LOGO));
    });
}

// The text of the balloon this process shows; empty while none.
std::string ShownBalloon() {
    HWND tip = ShownWindow(TOOLTIPS_CLASSA);
    char text[512] = "";
    if (tip != nullptr && (::GetWindowLongA(tip, GWL_STYLE) & TTS_BALLOON) != 0) {
        ::GetWindowTextA(tip, text, sizeof text); // the tip's text as shown
    }
    return text;
}

// Real keys in the mobile number box: Enter does nothing, a 16th character is refused, and a
// pasted number is taken whole, without its separators, or refused with a balloon.
TEST(MainWindow, TheNumberBoxTakesFifteenCharactersTypedOrPasted) {
    MainWindowHarness harness;
    RunSettled(harness, [&](Driver& d) {
        HWND box = d.Item(IDC_MOBILE);
        d.Type(IDC_MOBILE, "1234567890123");
        ::SendMessageA(box, EM_SETSEL, 0, 0); // so that the End key is seen to arrive
        ASSERT_TRUE(PressKeysInUntil(d.window, IDC_MOBILE, {VK_END}, [&] {
            return ::SendMessageA(box, EM_GETSEL, 0, 0) == MAKELRESULT(13, 13);
        }));
        // The 6 refused, the 5 taken back and a 7 typed in its place: the box shows the end
        // only once the last key has arrived, so none is still on its way when the test goes on.
        for (const BYTE key : std::initializer_list<BYTE>{VK_RETURN, '4', '5', '6', VK_BACK, '7'}) {
            PressKeys({key});
        }
        EXPECT_TRUE(WaitUntil([&] { return d.Text(IDC_MOBILE) == "123456789012347"; }))
            << d.Text(IDC_MOBILE);
        EXPECT_TRUE(d.Restored());

        const struct {
            const char* before;
            int selectionStart, selectionEnd;
            const char* clipboard;
            BYTE modifier, key;
            const char* after; // null: refused
        } cases[] = {
            {"", 0, 0, "+44 7700 900 123", VK_CONTROL, 'V', "+447700900123"},
            {"07700 900 123", 0, 5, "+44 7700", VK_SHIFT, VK_INSERT, "+447700 900 123"},
            {"0044", 4, 4, "7700 900 123 45", VK_CONTROL, 'V', nullptr}, // 16 even stripped
        };
        for (const auto& c : cases) {
            d.Type(IDC_MOBILE, c.before);
            ::SendMessageA(box, EM_SETSEL, c.selectionStart, c.selectionEnd);
            ASSERT_TRUE(drive::SetClipboardText(c.clipboard));
            PressKeysInUntil(nullptr, 0, {c.modifier, c.key}, [&] {
                return c.after ? d.Text(IDC_MOBILE) == c.after : !ShownBalloon().empty();
            });
            EXPECT_EQ(d.Text(IDC_MOBILE), c.after ? c.after : c.before) << c.clipboard;
            EXPECT_EQ(ShownBalloon().find("at most 15 characters") != std::string::npos, !c.after)
                << c.clipboard;
        }
        // Each taken away well before the balloon's own 10 s run out.
        const auto balloonGone = [] {
            return WaitUntil([] { return ShownBalloon().empty(); }, 5000);
        };
        PressKeys({VK_END}); // going on in the box takes the balloon away
        EXPECT_TRUE(balloonGone());
        ::SendMessageA(box, WM_PASTE, 0, 0); // the last paste again, refused again
        ASSERT_TRUE(WaitUntil([] { return !ShownBalloon().empty(); }));
        ::PostMessageA(d.window, WM_NEXTDLGCTL, 0, FALSE); // the focus leaves the box
        EXPECT_TRUE(balloonGone());
    });
}

// Esc and the close box cancel each dialog: the main window goes on as before. In the window,
// Esc from either box minimises it and keeps the message; Message, Exit ends it with 0 (as the
// close box does every other run's).
TEST(MainWindow, EscCancelsEveryDialogAndMinimisesTheWindow) {
    MainWindowHarness harness;
    harness.settings.SaveCredentials(true, "stored", "old", "0123");
    harness.StoreNumber("MinimizeToTray", 0);
    EXPECT_EQ(harness.Run([&](Driver& d) {
        const std::pair<const char*, int> dialogs[] = {{"Login", ID_MESSAGE_LOGIN},
                                                       {"Preferences", ID_OPTIONS_PREFERENCES},
                                                       {"About Wrenquil", ID_HELP_ABOUT}};
        for (const auto& [caption, command] : dialogs) {
            for (const auto& [way, key] :
                 {std::pair{WM_KEYDOWN, VK_ESCAPE}, {WM_SYSCOMMAND, SC_CLOSE}}) {
                SCOPED_TRACE(std::string(caption) + (way == WM_KEYDOWN ? ", Esc" : ", close box"));
                d.Command(command);
                HWND dialog = d.WaitForDialog(caption);
                // Owned by the window, which takes no input meanwhile.
                EXPECT_EQ(::GetWindow(dialog, GW_OWNER), d.window);
                EXPECT_FALSE(::IsWindowEnabled(d.window));
                ::SetDlgItemTextA(dialog, IDC_PREF_PASSWORD, "typed"); // Preferences only
                // Esc as the dialog's loop takes it from the queue: a real key repeated after a
                // lost one would reach the main window once the dialog has gone.
                ::PostMessageA(way == WM_KEYDOWN ? ::GetDlgItem(dialog, IDOK) : dialog, way, key,
                               0);
                EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
                EXPECT_TRUE(::IsWindowVisible(d.window));
                EXPECT_EQ(d.Status(0), LOGGED_OUT_TEXT);
            }
        }
        d.Type(IDC_MESSAGE, "keep me");
        for (const int box : {IDC_MOBILE, IDC_MESSAGE}) {
            ASSERT_TRUE(BringToFront(d.window));
            EXPECT_TRUE(PressKeysInUntil(d.window, box, {VK_ESCAPE}, [&] {
                return ::IsIconic(d.window) != FALSE;
            })) << box;
            EXPECT_EQ(d.Text(IDC_MESSAGE), "keep me");
            ::ShowWindow(d.window, SW_RESTORE);
        }
        d.Command(ID_MESSAGE_EXIT);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(d.window); }));
    }),
              0);
    EXPECT_EQ(harness.Stored("Passwd"), ScramblePassword("old"));
}

TEST(MainWindow, StartMinimizedMinimisesOnlyAtTheFirstShowing) {
    for (const bool startMinimized : {true, false}) {
        MainWindowHarness harness;
        harness.StoreNumber("StartMinimized", startMinimized);
        harness.StoreNumber("MinimizeToTray", 0);
        // Under Wine the window manager may still be mapping the new window and undo an early
        // minimise, so the test counts the window's requests to minimise rather than its state.
        int minimiseRequests = 0; // counted on this thread, which runs the window
        harness.watch = [&](HWND, UINT message, WPARAM wParam) {
            minimiseRequests += message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE;
        };
        RunSettled(
            harness,
            [&](Driver& d) {
                for (const int show : {SW_RESTORE, SW_HIDE, SW_SHOW}) {
                    ::ShowWindow(d.window, show);
                }
                ::SendMessageA(d.window, WM_NULL, 0, 0); // the shows have been handled
            },
            false);
        EXPECT_EQ(minimiseRequests, startMinimized ? 1 : 0);
    }
}

// Refuses, on the thread that runs the window, the creation of every status bar and of the
// next dialog (the Login dialog) once asked to: the system then fails those creations as it would
// for real.
std::atomic<bool> refuseLoginDialog{false};
LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        char className[64] = {};
        ::GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className);
        if (className == std::string(STATUSCLASSNAMEA) ||
            (className == std::string("#32770") && refuseLoginDialog.exchange(false))) {
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Auto Logon without a stored password asks before the window shows; cancelled, both Login and
// Logoff stay on. The window goes on without a status bar, or when a Login dialog cannot be made.
TEST(MainWindow, AsksBeforeItShowsAndGoesOnWithoutAStatusBarOrALoginDialog) {
    MainWindowHarness harness;
    harness.StoreNumber("AutoLogon", 1);
    harness.StoreText("User", "ann");
    HHOOK hook = nullptr;
    harness.beforeRun = [&] {
        hook = ::SetWindowsHookExA(WH_CBT, &RefuseCreation, nullptr, ::GetCurrentThreadId());
    };
    harness.Run(
        [&](Driver& d) {
            HWND box = d.WaitForDialog("Wrenquil");
            EXPECT_EQ(Driver::BoxText(box), "Status Bar not created!");
            Driver::Click(box, IDOK);
            HWND login = d.WaitForDialog("Login");
            EXPECT_FALSE(::IsWindowVisible(d.window));
            EXPECT_EQ(Driver::DialogItemText(login, IDC_USERNAME), "ann");
            Driver::Click(login, IDCANCEL);
            ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(d.window) != FALSE; }));
            EXPECT_EQ(d.Controls(), "Send off/off, Login on, Logoff on");
            refuseLoginDialog = true;
            d.Command(ID_MESSAGE_LOGIN);
            EXPECT_TRUE(WaitUntil([] { return !refuseLoginDialog; }));
            d.Type(IDC_MESSAGE, "still running");
            EXPECT_EQ(d.Controls(), "Send off/off, Login on, Logoff on");
        },
        false);
    ::UnhookWindowsHookEx(hook);
}

} // namespace
} // namespace wrenquil
