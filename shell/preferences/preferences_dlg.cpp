#include "preferences_dlg.h"

#include "core/settings/preferences.h"
#include "core/settings/settings_store.h"
#include "res/resource.h"
#include "shell/box_text.h"
#include "shell/capture/capture_selection.h"

#include <iterator>

namespace wrenquil {
namespace {

using Rows = MessageRows<CPreferencesDlg>;

} // namespace

const MessageMapEntry CPreferencesDlg::messageEntries[] = {
    Rows::OnNotification(BN_CLICKED, IDC_START_MINIMIZED, &CPreferencesDlg::ReadCheckStates),
    Rows::OnNotification(BN_CLICKED, IDC_MINIMIZE_TO_TRAY, &CPreferencesDlg::ReadCheckStates),
    Rows::OnNotification(BN_CLICKED, IDC_ALWAYS_SHOW_ICON, &CPreferencesDlg::ReadCheckStates),
    Rows::OnNotification(BN_CLICKED, IDC_RUN_AT_STARTUP, &CPreferencesDlg::ReadCheckStates),
    Rows::OnNotification(BN_CLICKED, IDC_AUTO_LOGON, &CPreferencesDlg::AutoLogonClicked),
};
const MessageMap CPreferencesDlg::messageMap{&CDialog::messageMap, messageEntries,
                                             std::size(messageEntries)};

const MessageMap* CPreferencesDlg::GetMessageMap() const {
    return &messageMap;
}

CPreferencesDlg::CPreferencesDlg(Preferences& chosen, const SettingsStore& store,
                                 CaptureHotKey& hotKey)
    : CDialog(IDD_PREFERENCES), preferences(chosen), settings(store), captureHotKey(hotKey) {}

void CPreferencesDlg::DoDataExchange(CDataExchange* exchange) {
    DDX_Control(exchange, IDC_HOTKEY, hotKeyControl);
    DDX_Check(exchange, IDC_START_MINIMIZED, startMinimizedCheck);
    DDX_Check(exchange, IDC_MINIMIZE_TO_TRAY, minimizeToTrayCheck);
    DDX_Check(exchange, IDC_ALWAYS_SHOW_ICON, alwaysShowIconCheck);
    DDX_Check(exchange, IDC_AUTO_LOGON, autoLogonCheck);
    DDX_Check(exchange, IDC_RUN_AT_STARTUP, runAtStartupCheck);
    DDX_Control(exchange, IDC_PREF_USERNAME, userNameEdit);
    DDX_Control(exchange, IDC_PREF_PASSWORD, passwordEdit);
    DDX_Control(exchange, IDC_PREF_PHONE, phoneEdit);
}

BOOL CPreferencesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    hotKeyControl.SetHotKey(preferences.HotKeyVirtualKey & 0xFF,
                            preferences.HotKeyModifiers & 0xFF);
    startMinimizedCheck = preferences.StartMinimized != 0;
    minimizeToTrayCheck = preferences.MinimizeToTray != 0;
    alwaysShowIconCheck = preferences.AlwaysShowIcon != 0;
    autoLogonCheck = preferences.AutoLogon != 0;
    runAtStartupCheck = settings.RunEntryExists(); // whatever was stored, the entry tells
    // The stored log-on, shown without touching the password in use.
    const StoredLogon stored = settings.ReadStoredLogon();
    userNameEdit.SetWindowText(stored.userName);
    passwordEdit.SetWindowText(stored.password);
    phoneEdit.SetWindowText(stored.mobileNumber);
    EnableCredentialEdits();
    UpdateData(FALSE);
    return TRUE;
}

void CPreferencesDlg::EnableCredentialEdits() {
    const BOOL enable = autoLogonCheck != 0;
    userNameEdit.EnableWindow(enable);
    passwordEdit.EnableWindow(enable);
    phoneEdit.EnableWindow(enable);
}

void CPreferencesDlg::AutoLogonClicked() {
    UpdateData(TRUE);
    EnableCredentialEdits();
}

// Withdraws the key in force before registering the new one, so only one key ever captures.
// A cleared control means the built-in key, as at the next start. False when the system
// refused the key and the previous one stays in force.
bool CPreferencesDlg::ApplyHotKey(HotKey chosen) {
    const HotKey previous{preferences.HotKeyVirtualKey, preferences.HotKeyModifiers};
    const HotKey wanted =
        chosen.virtualKey == 0 && chosen.modifiers == 0 ? BUILT_IN_HOT_KEY : chosen;
    HotKey inForce = wanted;
    const bool accepted = captureHotKey.Register(wanted);
    if (!accepted) {
        captureHotKey.Register(previous);
        inForce = previous;
        ::MessageBoxA(m_hWnd, HOT_KEY_REFUSED_TEXT, "Error", MB_OK | MB_ICONERROR);
    }
    preferences.HotKeyVirtualKey = inForce.virtualKey;
    preferences.HotKeyModifiers = inForce.modifiers;
    return accepted;
}

// With Auto Logon on, a log-on the code page cannot hold keeps the dialog open, and nothing is
// applied; with it off the three boxes are blanked in the registry whatever they hold.
void CPreferencesDlg::AcceptPreferences() {
    StoredLogon typed;
    if (autoLogonCheck != 0) {
        const auto userName = BoxText(m_hWnd, userNameEdit, "user name");
        const auto password = userName ? BoxText(m_hWnd, passwordEdit, "password") : std::nullopt;
        const auto mobileNumber =
            password ? BoxText(m_hWnd, phoneEdit, "mobile number") : std::nullopt;
        if (!mobileNumber) {
            return;
        }
        typed = {*userName, *password, *mobileNumber};
    }
    const DWORD control = hotKeyControl.GetHotKey();
    const HotKey chosen{static_cast<std::uint16_t>(LOBYTE(LOWORD(control))),
                        static_cast<std::uint16_t>(HIBYTE(LOWORD(control)))};
    const bool hotKeyAccepted = ApplyHotKey(chosen);

    preferences.StartMinimized = startMinimizedCheck;
    preferences.MinimizeToTray = minimizeToTrayCheck;
    preferences.AlwaysShowIcon = alwaysShowIconCheck;
    preferences.AutoLogon = autoLogonCheck;
    // Stored as achieved: a box ticked in vain must not say the program starts with Windows.
    const bool runEntry = settings.ApplyRunAtStartup(runAtStartupCheck != 0);
    preferences.RunAtStartup = runEntry;

    // The key in force is stored, so the next start tries no key the system refused; an
    // accepted choice is stored as made, a cleared control as 0.
    Preferences stored = preferences;
    if (hotKeyAccepted) {
        stored.HotKeyVirtualKey = chosen.virtualKey;
        stored.HotKeyModifiers = chosen.modifiers;
    }
    settings.SavePreferences(stored);

    settings.SaveCredentials(autoLogonCheck != 0, typed.userName, typed.password,
                             typed.mobileNumber);
    outcome = PreferencesOutcome{0, autoLogonCheck != 0, typed.userName, typed.password,
                                 typed.mobileNumber};

    if (runEntry != (runAtStartupCheck != 0)) {
        ::MessageBoxA(m_hWnd,
                      runEntry ? RUN_AT_STARTUP_REMOVAL_FAILED_TEXT : RUN_AT_STARTUP_FAILED_TEXT,
                      "Error", MB_OK | MB_ICONERROR);
    }
    EndDialog(0);
}

} // namespace wrenquil
