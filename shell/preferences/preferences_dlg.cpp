#include "preferences_dlg.h"

#include "core/settings/preferences.h"
#include "core/settings/settings_store.h"
#include "res/resource.h"
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

CPreferencesDlg::CPreferencesDlg(Preferences& preferences, const SettingsStore& settings,
                                 CaptureHotKey& captureHotKey)
    : CDialog(IDD_PREFERENCES), preferences_(preferences), settings_(settings),
      captureHotKey_(captureHotKey) {}

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
    hotKeyControl.SetHotKey(preferences_.HotKeyVirtualKey & 0xFF,
                            preferences_.HotKeyModifiers & 0xFF);
    startMinimizedCheck = preferences_.StartMinimized != 0;
    minimizeToTrayCheck = preferences_.MinimizeToTray != 0;
    alwaysShowIconCheck = preferences_.AlwaysShowIcon != 0;
    autoLogonCheck = preferences_.AutoLogon != 0;
    runAtStartupCheck = settings_.RunEntryExists(); // whatever was stored, the entry tells
    userNameEdit.SetWindowText(settings_.ReadString("User"));
    phoneEdit.SetWindowText(settings_.ReadString("Phone"));
    // The stored password, shown without touching the one in use.
    passwordEdit.SetWindowText(settings_.ReadStoredPassword());
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
    const HotKey previous{preferences_.HotKeyVirtualKey, preferences_.HotKeyModifiers};
    const HotKey wanted = chosen.virtualKey == 0 && chosen.modifiers == 0 ? kBuiltInHotKey : chosen;
    HotKey inForce = wanted;
    const bool accepted = captureHotKey_.Register(wanted);
    if (!accepted) {
        captureHotKey_.Register(previous);
        inForce = previous;
        ::MessageBoxA(m_hWnd, kHotKeyRefusedText, "Error", MB_OK | MB_ICONERROR);
    }
    preferences_.HotKeyVirtualKey = inForce.virtualKey;
    preferences_.HotKeyModifiers = inForce.modifiers;
    return accepted;
}

void CPreferencesDlg::AcceptPreferences() {
    const DWORD control = hotKeyControl.GetHotKey();
    const HotKey chosen{static_cast<std::uint16_t>(LOBYTE(LOWORD(control))),
                        static_cast<std::uint16_t>(HIBYTE(LOWORD(control)))};
    const bool hotKeyAccepted = ApplyHotKey(chosen);

    preferences_.StartMinimized = startMinimizedCheck;
    preferences_.MinimizeToTray = minimizeToTrayCheck;
    preferences_.AlwaysShowIcon = alwaysShowIconCheck;
    preferences_.AutoLogon = autoLogonCheck;
    // Stored as achieved: a box ticked in vain must not say the program starts with Windows.
    const bool runEntry = settings_.ApplyRunAtStartup(runAtStartupCheck != 0);
    preferences_.RunAtStartup = runEntry;

    // The key in force is stored, so the next start tries no key the system refused; an
    // accepted choice is stored as made, a cleared control as 0.
    Preferences stored = preferences_;
    if (hotKeyAccepted) {
        stored.HotKeyVirtualKey = chosen.virtualKey;
        stored.HotKeyModifiers = chosen.modifiers;
    }
    settings_.SavePreferences(stored);

    const std::string userName = userNameEdit.GetWindowText();
    const std::string password = passwordEdit.GetWindowText();
    const std::string mobileNumber = phoneEdit.GetWindowText();
    settings_.SaveCredentials(autoLogonCheck != 0, userName, password, mobileNumber);
    outcome = PreferencesOutcome{0, autoLogonCheck != 0, userName, password, mobileNumber};

    if (runEntry != (runAtStartupCheck != 0)) {
        ::MessageBoxA(m_hWnd, runEntry ? kRunAtStartupRemovalFailedText : kRunAtStartupFailedText,
                      "Error", MB_OK | MB_ICONERROR);
    }
    EndDialog(0);
}

} // namespace wrenquil
