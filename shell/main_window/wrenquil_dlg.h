// The main window: message box, mobile number box, Send, logo, menu, and a status bar whose
// left part shows the login and send state and whose right part shows the counter.
#pragma once

#include "core/counter.h"
#include "core/login_state.h"
#include "ext_edit.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "number_edit.h"
#include "shell/capture/hot_key_registration.h"
#include "shell/tray/tray_icon.h"
#include "window_controls.h"

#include <optional>

namespace wrenquil {

struct LoginState;
struct Preferences;
class SettingsStore;

class CWrenquilDlg : public CDialog {
public:
    CWrenquilDlg(LoginState& state, Preferences& chosen, const SettingsStore& store);

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

private:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* exchange) override;
    void OnOK() override {} // Enter never closes the window
    void OnCancel() override { ShowWindow(SW_MINIMIZE); }
    // Explorer announces a restart with a message numbered only at run time.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void HideToTray();
    void RestoreFromTray();

    LRESULT OnTrayNotify(WPARAM, LPARAM lParam);
    LRESULT OnPasteClipboard(WPARAM, LPARAM);
    LRESULT OnHotKey(WPARAM id, LPARAM);
    LRESULT OnPaint(WPARAM, LPARAM) {
        return ::IsIconic(m_hWnd) ? PaintMinimisedIcon(m_hWnd, icon) : Default();
    }
    LRESULT OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon); }
    void OnAddTray() { trayIcon->Show(); }
    void OnRemoveTray() { trayIcon->Remove(); }
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM sizeType, LPARAM);
    void OnAbout();
    void OnExit() { EndDialog(0); }
    void OnTrayRestore();
    LRESULT OnClose(WPARAM, LPARAM) {
        EndDialog(0);
        return 0;
    }
    void OnLogin() { LoginCommand(login, controls); }
    void OnLogoff() { LogoffCommand(login, controls); }
    void OnMessageChange() { MessageTextChanged(login, controls); }
    void OnSend();
    void OnPreferences() { PreferencesCommand(login, controls); }
    LRESULT OnShowWindow(WPARAM, LPARAM);
    void OnMobileChange() { MobileNumberChanged(login, controls); }
    void OnTaskbarCreated();
    PreferencesOutcome RunPreferencesDialog();
    static const MessageMapEntry messageEntries[];

    LoginState& login;
    Preferences& preferences;
    const SettingsStore& settings;
    const UINT taskbarCreated;
    bool firstShow = true;
    bool sending = false;

    // While the window exists.
    std::optional<TrayIcon> trayIcon;
    std::optional<CaptureHotKey> captureHotKey;

    CStatusBarCtrl statusBar;
    CNumberEdit mobileEdit;
    CExtEdit messageEdit;
    HICON icon;
    CButton sendButton;
    CStatic logo;
    // What the message logic sees of the window.
    WindowControls controls;
};

} // namespace wrenquil
