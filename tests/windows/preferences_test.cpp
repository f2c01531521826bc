#include "core/settings/password.h"
#include "core/settings/run_entry.h"
#include "desktop_input.h"
#include "main_window_harness.h"
#include "res/resource.h"
#include "shell/preferences/preferences_dlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

constexpr WORD CTRL_ALT_A = MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_ALT);

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
    const int boxes[] = {IDC_PREF_USERNAME, IDC_PREF_PASSWORD, IDC_PREF_PHONE};
    return static_cast<int>(std::count_if(std::begin(boxes), std::end(boxes), [&](int id) {
        return ::IsWindowEnabled(::GetDlgItem(dialog, id));
    }));
}

// Presses the button, answers the error box that should follow (when `error` is given), and
// waits until the dialog and its command are done.
void Close(Driver& d, HWND dialog, int button, const char* error = nullptr) {
    Driver::Click(dialog, button);
    if (error != nullptr) {
        HWND box = d.WaitForDialog("Error");
        EXPECT_EQ(Driver::BoxText(box), error);
        Driver::Click(box, IDOK);
    }
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    ::SendMessageA(d.window, WM_NULL, 0, 0);
}

TEST(Preferences, OpensWithStoredValuesAndNeverTouchesThePasswordInUseUnlessAccepted) {
    MainWindowHarness harness;
    harness.settings.SaveCredentials(true, "stored", "old", "0123"); // while Auto Logon was on
    harness.Run([&](Driver& d) {
        d.Command(ID_MESSAGE_LOGIN);
        HWND login = d.WaitForDialog("Login");
        ::SetDlgItemTextA(login, IDC_PASSWORD, "typed");
        Driver::Click(login, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return d.Status(0) == LoggedInStatusText("stored"); }));

        for (const int button : {IDCANCEL, IDOK}) {
            d.Command(button == IDOK ? ID_TRAY_PREFERENCES : ID_OPTIONS_PREFERENCES);
            HWND dialog = d.WaitForDialog("Preferences");
            EXPECT_EQ(Driver::DialogItemText(dialog, IDC_PREF_USERNAME) + " " +
                          Driver::DialogItemText(dialog, IDC_PREF_PASSWORD) + " " +
                          Driver::DialogItemText(dialog, IDC_PREF_PHONE),
                      "stored old 0123");
            EXPECT_TRUE(Checked(dialog, IDC_MINIMIZE_TO_TRAY));
            EXPECT_EQ(EditsEnabled(dialog), 0) << "Auto Logon is off";
            Toggle(dialog, IDC_AUTO_LOGON);
            EXPECT_EQ(EditsEnabled(dialog), 3);
            Toggle(dialog, IDC_AUTO_LOGON);
            EXPECT_EQ(EditsEnabled(dialog), 0);
            Close(d, dialog, button);
        }
        EXPECT_EQ(d.Status(0), LoggedInStatusText("stored"));
    });
    EXPECT_EQ(harness.login.password, "typed"); // the password in use
    // Accepted with Auto Logon off: the stored credentials are blanked.
    EXPECT_EQ(harness.settings.ReadStoredLogon().userName, "");
    EXPECT_EQ(harness.settings.ReadStoredPassword(), "");
}

// A key another program holds is refused with a box and the old key stays in force; a new key
// replaces the old one; a cleared one means Scroll Lock again.
TEST(Preferences, TheHotKeyInForceIsTheOneRegisteredAndStored) {
    MainWindowHarness harness;
    harness.Run([&](Driver& d) {
        HWND other = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       nullptr, nullptr);
        ASSERT_TRUE(::RegisterHotKey(other, 5, MOD_CONTROL | MOD_ALT, 'A'));
        const struct {
            WORD chosen;
            const char* error;
            std::vector<std::uint8_t> stored; // "HotKey": its DWORD's bytes
            bool scrollLockHeld;
        } steps[] = {{CTRL_ALT_A, HOT_KEY_REFUSED_TEXT, {VK_SCROLL, 0, 0, 0}, true},
                     {CTRL_ALT_A, nullptr, {'A', 0, 6, 0}, false},
                     {0, nullptr, {0, 0, 0, 0}, true}};
        LRESULT inForce = VK_SCROLL;
        for (const auto& step : steps) {
            d.Command(ID_OPTIONS_PREFERENCES);
            HWND dialog = d.WaitForDialog("Preferences");
            EXPECT_EQ(::SendMessageA(::GetDlgItem(dialog, IDC_HOTKEY), HKM_GETHOTKEY, 0, 0),
                      inForce);
            inForce = step.scrollLockHeld ? VK_SCROLL : CTRL_ALT_A;
            ::SendMessageA(::GetDlgItem(dialog, IDC_HOTKEY), HKM_SETHOTKEY, step.chosen, 0);
            Close(d, dialog, IDOK, step.error);
            ::DestroyWindow(other); // it takes its key along
            EXPECT_EQ(harness.Stored("HotKey"), step.stored);
            EXPECT_EQ(HotKeyFree(0, VK_SCROLL), !step.scrollLockHeld) << step.chosen;
            EXPECT_EQ(HotKeyFree(MOD_CONTROL | MOD_ALT, 'A'), step.scrollLockHeld) << step.chosen;
        }
    });
}

// The five boxes as ticks, "1" or "0" in the order of `BOXES`, and the number.
constexpr int BOXES[] = {IDC_START_MINIMIZED, IDC_MINIMIZE_TO_TRAY, IDC_ALWAYS_SHOW_ICON,
                         IDC_RUN_AT_STARTUP, IDC_AUTO_LOGON};
std::string Shown(HWND dialog) {
    std::string shown;
    for (const int id : BOXES) {
        shown += Checked(dialog, id) ? "1 " : "0 ";
    }
    return shown + Driver::DialogItemText(dialog, IDC_PREF_PHONE);
}
std::string Stored(const MainWindowHarness& harness) {
    std::string stored;
    for (const char* name :
         {"StartMinimized", "MinimizeToTray", "AlwaysShowIcon", "RunAtStartup", "AutoLogon"}) {
        const auto value = harness.Stored(name);
        stored += value && !value->empty() && (*value)[0] ? "1 " : "0 ";
    }
    return stored + harness.settings.ReadStoredLogon().mobileNumber;
}

// Every box goes through OK into the registry and shows again when the dialog opens anew; a
// box unticked alone is stored too. Run at System Startup is stored and shown as achieved. Auto
// Logon accepted with a password logs on with it, stored scrambled (an empty one as zero bytes,
// without logging on), and the number refills the window's box.
TEST(Preferences, EveryBoxIsStoredAndShownAgain) {
    for (const char* password : {"s3cret&", ""}) { // with it Wrenquil is installed, without not
        MainWindowHarness harness;
        const char* exePath = *password ? "\"C:\\W q\\Wrenquil.exe\"" : "";
        if (*exePath != '\0') {
            harness.registry.Put(std::string("HKCU\\") + EXE_PATH_KEY, EXE_PATH_VALUE,
                                 {REG_TYPE_SZ, {exePath, exePath + std::strlen(exePath) + 1}});
        }
        const char* error = *exePath ? nullptr : RUN_AT_STARTUP_FAILED_TEXT;
        const std::string run = *exePath ? "1 " : "0 ";
        harness.Run([&](Driver& d) {
            const auto open = [&] {
                d.Command(ID_OPTIONS_PREFERENCES);
                return d.WaitForDialog("Preferences");
            };
            d.Type(IDC_MESSAGE, "hello");
            d.Type(IDC_MOBILE, "999");
            HWND dialog = open();
            for (const int id : BOXES) {
                Toggle(dialog, id); // Minimize to the System Tray starts ticked
            }
            ::SetDlgItemTextA(dialog, IDC_PREF_USERNAME, "ann");
            ::SetDlgItemTextA(dialog, IDC_PREF_PASSWORD, password);
            ::SetDlgItemTextA(dialog, IDC_PREF_PHONE, "0790");
            Close(d, dialog, IDOK, error);
            EXPECT_EQ(Stored(harness), "1 0 1 " + run + "1 0790");
            EXPECT_EQ(d.Text(IDC_MOBILE), "0790");
            EXPECT_EQ(d.Status(0), *password ? LoggedInStatusText("ann") : LOGGED_OUT_TEXT);
            EXPECT_EQ(d.Controls(), *password ? "Send on/on, Login off, Logoff on"
                                              : "Send off/off, Login on, Logoff off");
            dialog = open();
            EXPECT_EQ(Shown(dialog), "1 0 1 " + run + "1 0790");
            Toggle(dialog, IDC_ALWAYS_SHOW_ICON);
            Close(d, dialog, IDOK);
            dialog = open();
            EXPECT_EQ(Shown(dialog), "1 0 0 " + run + "1 0790");
            Close(d, dialog, IDCANCEL);
        });
        EXPECT_EQ(Stored(harness), "1 0 0 " + run + "1 0790");
        EXPECT_EQ(harness.settings.ReadStoredLogon().userName, "ann");
        EXPECT_EQ(harness.Stored("Passwd"), ScramblePassword(password)) << password;
        EXPECT_EQ(harness.settings.RunEntryExists(), *exePath != '\0');
    }
}

} // namespace
} // namespace wrenquil
