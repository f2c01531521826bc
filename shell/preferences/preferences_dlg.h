// The Preferences dialog: the capture hot key, start-up and tray behaviour, Auto Logon with
// stored credentials and a default number, and Run at System Startup. Accepting applies and
// stores everything at once; it ends with 0 when accepted and 1 when cancelled.
#pragma once

#include "core/login_state.h"
#include "core/settings/hot_key.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "shell/capture/hot_key_registration.h"

namespace wrenquil {

struct Preferences;
class SettingsStore;

inline constexpr char HOT_KEY_REFUSED_TEXT[] =
    "The hot key could not be registered. Another program may already be using it.";
inline constexpr char RUN_AT_STARTUP_FAILED_TEXT[] =
    "Wrenquil could not be set to run at system startup.";
inline constexpr char RUN_AT_STARTUP_REMOVAL_FAILED_TEXT[] =
    "Wrenquil could not be removed from system startup.";

class CPreferencesDlg : public CDialog {
public:
    CPreferencesDlg(Preferences& chosen, const SettingsStore& store, CaptureHotKey& hotKey);

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

    // What the user accepted, for the login record; its result is 1 until then.
    const PreferencesOutcome& Outcome() const { return outcome; }

private:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override { AcceptPreferences(); }
    void OnCancel() override { EndDialog(1); }
    void AcceptPreferences();
    bool ApplyHotKey(HotKey chosen);
    void ReadCheckStates() { UpdateData(TRUE); }
    void AutoLogonClicked();
    void EnableCredentialEdits();
    static const MessageMapEntry messageEntries[];

    Preferences& preferences;
    const SettingsStore& settings;
    CaptureHotKey& captureHotKey;
    PreferencesOutcome outcome;

    CHotKeyCtrl hotKeyControl;
    int startMinimizedCheck = 0;
    int minimizeToTrayCheck = 0;
    int alwaysShowIconCheck = 0;
    int autoLogonCheck = 0;
    int runAtStartupCheck = 0;
    CEdit userNameEdit;
    CEdit passwordEdit;
    CEdit phoneEdit;
};

} // namespace wrenquil
