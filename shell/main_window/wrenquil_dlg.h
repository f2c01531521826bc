// The main window: message box, mobile number box, Send, logo, menu, and a status bar whose
// left part shows the login and send state and whose right part shows the counter.
#pragma once

#include "core/main_window.h"
#include "ext_edit.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "number_edit.h"
#include "shell/capture/capture_selection.h"
#include "shell/capture/hot_key_registration.h"
#include "shell/tray/tray_icon.h"

#include <string>

namespace wrenquil {

struct LoginState;
struct Preferences;
class SettingsStore;

class CWrenquilDlg : public CDialog, public MainWindow, private CapturePlatform {
public:
    CWrenquilDlg(LoginState& login, Preferences& preferences, const SettingsStore& settings,
                 CWnd* parent = nullptr);
    ~CWrenquilDlg() override;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

    // What the message logic asks of the window.
    int MessageLength() override { return messageEdit.GetWindowTextLength(); }
    int MobileLength() override { return mobileEdit.GetWindowTextLength(); }
    bool SendButtonEnabled() override { return sendButton.IsWindowEnabled() != FALSE; }
    void EnableSendButton(bool enabled) override { sendButton.EnableWindow(enabled); }
    void EnableMessageMenuItem(int commandId, bool enabled) override;
    void SetStatusText(int part, const std::string& text) override;
    void SetMobileText(const std::string& text) override { mobileEdit.SetWindowText(text); }
    std::string MessageText() override { return messageEdit.GetWindowText(); }
    std::string MobileText() override { return mobileEdit.GetWindowText(); }
    void FocusMessageBox() override { messageEdit.SetFocus(); }
    void HandleInputMadeWhileBusy() override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    int RunLoginDialog(LoginState& login) override;
    PreferencesOutcome RunPreferencesDialog() override;

    void HideToTray();
    void RestoreFromTray() override;

private:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* exchange) override;
    void OnOK() override {} // Enter never closes the window
    void OnCancel() override { ShowWindow(SW_MINIMIZE); }

    // CapturePlatform
    bool MainWindowInFront() override { return ::GetForegroundWindow() == m_hWnd; }
    void Pause(unsigned milliseconds) override;
    bool ScrollLockOn() override { return (::GetKeyState(VK_SCROLL) & 1) != 0; }
    bool ModifierKeysDown() override;
    void KeyEvent(std::uint8_t virtualKey, bool release) override {
        ::keybd_event(virtualKey, 0, release ? KEYEVENTF_KEYUP : 0, 0);
    }
    std::uint32_t ClipboardSequence() override { return ::GetClipboardSequenceNumber(); }
    bool ClipboardBusy() override;
    void PasteIntoMessageBox() override { messageEdit.SendMessage(WM_PASTE); }
    void DropHotKeyPressesMeanwhile() override;

    void CreateStatusBar();
    int CounterPartWidth() const;
    void ShowTrayMenu();

    LRESULT OnTrayNotify(WPARAM, LPARAM lParam);
    LRESULT OnPasteClipboard(WPARAM, LPARAM);
    LRESULT OnHotKey(WPARAM id, LPARAM);
    LRESULT OnDefault(WPARAM, LPARAM) { return Default(); }
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon); }
    void OnAddTray();
    void OnRemoveTray();
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM sizeType, LPARAM);
    LRESULT OnTaskbarCreated(WPARAM, LPARAM);
    void OnAbout();
    void OnExit() { EndDialog(0); }
    void OnTrayRestore();
    LRESULT OnClose(WPARAM, LPARAM) {
        EndDialog(0);
        return 0;
    }
    void OnLogin();
    void OnLogoff();
    void OnMessageChange();
    void OnSend();
    void OnPreferences();
    LRESULT OnShowWindow(WPARAM, LPARAM);
    void OnMobileChange();
    static const MessageMapEntry messageEntries[];

    LoginState& login_;
    Preferences& preferences_;
    const SettingsStore& settings_;
    bool firstShow_ = true;
    bool sending_ = false;

    TrayIcon trayIcon_;
    CaptureHotKey captureHotKey_;
    CStatusBarCtrl statusBar;
    CNumberEdit mobileEdit;
    CExtEdit messageEdit;
    HICON icon;
    CButton sendButton;
    CStatic logo;
};

} // namespace wrenquil
