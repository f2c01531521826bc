#include "core/settings/password.h"
#include "desktop_input.h"
#include "main_window_harness.h"
#include "res/resource.h"
#include "shell/preferences/preferences_dlg.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

constexpr WORD kCtrlAltA = MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_ALT);

// Opens Preferences from the given menu and gives the dialog.
HWND OpenPreferences(Driver& d, int command = ID_OPTIONS_PREFERENCES) {
    d.Command(command);
    return d.WaitForDialog("Preferences");
}

bool Checked(HWND dialog, int id) {
    return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Toggle(HWND dialog, int id) {
    const bool before = Checked(dialog, id);
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    WaitUntil([&] { return Checked(dialog, id) != before; });
}

// How many of the name, password and number boxes are enabled.
int EditsEnabled(HWND dialog) {
    int enabled = 0;
    for (const int id : {IDC_PREF_USERNAME, IDC_PREF_PASSWORD, IDC_PREF_PHONE}) {
        enabled += ::IsWindowEnabled(::GetDlgItem(dialog, id)) ? 1 : 0;
    }
    return enabled;
}

// Closes the dialog one way and waits until it and its command are done.
void Close(Driver& d, HWND dialog, int button) {
    Driver::Click(dialog, button);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    ::SendMessageA(d.window, WM_NULL, 0, 0);
}

TEST(Preferences, OpensWithStoredValuesAndNeverTouchesThePasswordInUseUnlessAccepted) {
    MainWindowHarness harness;
    harness.settings.SaveCredentials(true, "stored", "old", "0123"); // while Auto Logon was on
    harness.Run([&](Driver& d) {
        d.Command(ID_MESSAGE_LOGIN);
        HWND login = d.WaitForDialog("Login");
        ASSERT_NE(login, nullptr);
        ::SetDlgItemTextA(login, IDC_PASSWORD, "typed");
        Driver::Click(login, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return d.Status(0) == LoggedInStatusText("stored"); }));

        for (const int button : {IDCANCEL, IDOK}) {
            HWND dialog =
                OpenPreferences(d, button == IDOK ? ID_TRAY_PREFERENCES : ID_OPTIONS_PREFERENCES);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(EditsEnabled(dialog), 0) << "Auto Logon is off";
            EXPECT_EQ(Driver::DialogItemText(dialog, IDC_PREF_USERNAME), "stored");
            EXPECT_EQ(Driver::DialogItemText(dialog, IDC_PREF_PHONE), "0123");
            EXPECT_EQ(Driver::DialogItemText(dialog, IDC_PREF_PASSWORD), "old");
            EXPECT_TRUE(Checked(dialog, IDC_MINIMIZE_TO_TRAY));
            Toggle(dialog, IDC_AUTO_LOGON);
            EXPECT_EQ(EditsEnabled(dialog), 3);
            Toggle(dialog, IDC_AUTO_LOGON);
            EXPECT_EQ(EditsEnabled(dialog), 0);
            EXPECT_EQ(Driver::DialogItemText(dialog, IDC_PREF_USERNAME), "stored"); // texts stay
            Close(d, dialog, button);
        }
        EXPECT_EQ(d.Status(0), LoggedInStatusText("stored"));
    });
    EXPECT_EQ(harness.login.password, "typed"); // the password in use
    EXPECT_EQ(harness.login.loggedIn, 1);
    // Accepted with Auto Logon off: the stored credentials are blanked.
    EXPECT_EQ(harness.settings.ReadString("User"), "");
    EXPECT_EQ(harness.settings.ReadStoredPassword(), "");
}

TEST(Preferences, AutoLogonAcceptedLogsOnStoresScrambledAndRefillsTheNumber) {
    struct Case {
        const char* name;
        const char* password;
        bool loggedIn;
    } cases[] = {{"both filled", "s3cret&", true}, {"empty password", "", false}};
    for (const Case& c : cases) {
        MainWindowHarness harness;
        harness.Run([&](Driver& d) {
            d.Type(IDC_MESSAGE, "hello");
            d.Type(IDC_MOBILE, "999");
            HWND dialog = OpenPreferences(d);
            ASSERT_NE(dialog, nullptr);
            Toggle(dialog, IDC_AUTO_LOGON);
            ::SetDlgItemTextA(dialog, IDC_PREF_USERNAME, "ann");
            ::SetDlgItemTextA(dialog, IDC_PREF_PASSWORD, c.password);
            ::SetDlgItemTextA(dialog, IDC_PREF_PHONE, "07700");
            Close(d, dialog, IDOK);
            EXPECT_EQ(d.Text(IDC_MOBILE), "07700") << c.name;
            EXPECT_EQ(d.Status(0), c.loggedIn ? LoggedInStatusText("ann") : kLoggedOutText)
                << c.name;
            EXPECT_EQ(d.Enabled(IDC_SEND), c.loggedIn) << c.name;
            EXPECT_EQ(d.MenuEnabled(ID_MESSAGE_LOGOFF), c.loggedIn) << c.name;
        });
        EXPECT_EQ(harness.login.loggedIn, c.loggedIn ? 1 : 0) << c.name;
        EXPECT_EQ(harness.login.password, c.loggedIn ? c.password : "") << c.name;
        EXPECT_EQ(harness.login.mobileNumber, "07700") << c.name;
        EXPECT_EQ(harness.settings.ReadString("User"), "ann");
        EXPECT_EQ(harness.settings.ReadBytes("Passwd"), ScramblePassword(c.password));
        EXPECT_EQ(harness.settings.ReadNumber("AutoLogon", 0), 1u);
    }
}

TEST(Preferences, ANewHotKeyReplacesTheOldOneAndAClearedOneMeansScrollLock) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        EXPECT_FALSE(HotKeyFree(0, VK_SCROLL));
        HWND dialog = OpenPreferences(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(::SendMessageA(::GetDlgItem(dialog, IDC_HOTKEY), HKM_GETHOTKEY, 0, 0), VK_SCROLL);
        ::SendMessageA(::GetDlgItem(dialog, IDC_HOTKEY), HKM_SETHOTKEY, kCtrlAltA, 0);
        Close(d, dialog, IDOK);
        EXPECT_EQ(harness.settings.ReadNumber("HotKey", 1), 0x60041u);
        EXPECT_FALSE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'A'));
        EXPECT_TRUE(HotKeyFree(0, VK_SCROLL)) << "the old key is withdrawn";

        dialog = OpenPreferences(d);
        ::SendMessageA(::GetDlgItem(dialog, IDC_HOTKEY), HKM_SETHOTKEY, 0, 0);
        Close(d, dialog, IDOK);
        EXPECT_EQ(harness.settings.ReadNumber("HotKey", 1), 0u);
        EXPECT_FALSE(HotKeyFree(0, VK_SCROLL));
        EXPECT_TRUE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'A'));
    });
    EXPECT_EQ(harness.preferences.HotKeyVirtualKey, VK_SCROLL);
    EXPECT_EQ(harness.preferences.HotKeyModifiers, 0);
}

TEST(Preferences, AHotKeyHeldElsewhereIsReportedAndTheOldOneKept) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        // "Another program": a window of its own holds the key, and takes it along when it goes.
        HWND other = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       nullptr, nullptr);
        ASSERT_TRUE(::RegisterHotKey(other, 5, MOD_CONTROL | MOD_ALT, 'A'));
        HWND dialog = OpenPreferences(d);
        ASSERT_NE(dialog, nullptr);
        ::SendMessageA(::GetDlgItem(dialog, IDC_HOTKEY), HKM_SETHOTKEY, kCtrlAltA, 0);
        Driver::Click(dialog, IDOK);
        HWND error = d.WaitForDialog("Error");
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(Driver::BoxText(error), kHotKeyRefusedText);
        Driver::Click(error, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
        ::UnregisterHotKey(other, 5);
        ::DestroyWindow(other);
        EXPECT_FALSE(HotKeyFree(0, VK_SCROLL)) << "the previous key is registered again";
        EXPECT_EQ(harness.settings.ReadNumber("HotKey", 1), VK_SCROLL)
            << "the key in force is stored";
    });
}

TEST(Preferences, RunAtSystemStartupIsStoredAsAchieved) {
    struct Case {
        const char* name;
        const char* exePath; // nullptr: none installed
        bool entry;
        const char* error;
    } cases[] = {{"installed", "\"C:\\W q\\Wrenquil.exe\"", true, nullptr},
                 {"no ExePath", nullptr, false, kRunAtStartupFailedText}};
    for (const Case& c : cases) {
        MainWindowHarness harness;
        if (c.exePath) {
            RegKey key = 0;
            harness.registry.CreateKey(kCurrentUserKey, kExePathKey, kKeyReadWrite, &key);
            harness.registry.SetValue(key, kExePathValue, kRegSz,
                                      reinterpret_cast<const std::uint8_t*>(c.exePath),
                                      static_cast<std::uint32_t>(strlen(c.exePath) + 1));
            harness.registry.CloseKey(key);
        }
        harness.Run([&](Driver& d) {
            HWND dialog = OpenPreferences(d);
            ASSERT_NE(dialog, nullptr);
            Toggle(dialog, IDC_RUN_AT_STARTUP);
            Driver::Click(dialog, IDOK);
            if (c.error) {
                HWND error = d.WaitForDialog("Error");
                ASSERT_NE(error, nullptr) << c.name;
                EXPECT_EQ(Driver::BoxText(error), c.error);
                Driver::Click(error, IDOK);
            }
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
        });
        EXPECT_EQ(harness.settings.RunEntryExists(), c.entry) << c.name;
        EXPECT_EQ(harness.settings.ReadNumber("RunAtStartup", 9), c.entry ? 1u : 0u) << c.name;
    }
}

} // namespace
} // namespace wrenquil
