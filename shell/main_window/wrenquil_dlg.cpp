#include "wrenquil_dlg.h"

#include "core/counter.h"
#include "core/login_state.h"
#include "core/settings/preferences.h"
#include "core/settings/settings_store.h"
#include "framework/app.h"
#include "gateway/send_to_gateway.h"
#include "gateway/wininet_transport.h"
#include "res/resource.h"
#include "shell/about/about_dlg.h"
#include "shell/capture/capture_rules.h"
#include "shell/capture/desktop_capture.h"
#include "shell/messages.h"
#include "shell/preferences/preferences_dlg.h"
#include "shell/tray/tray_menu.h"
#include "status_bar.h"

#include <iterator>

namespace wrenquil {
namespace {

using Rows = MessageRows<CWrenquilDlg>;

} // namespace

const MessageMapEntry CWrenquilDlg::messageEntries[] = {
    Rows::OnMessage(WM_TRAYNOTIFY, &CWrenquilDlg::OnTrayNotify),
    Rows::OnMessage(WM_PASTECLIPBOARD, &CWrenquilDlg::OnPasteClipboard),
    Rows::OnMessage(WM_HOTKEY, &CWrenquilDlg::OnHotKey),
    Rows::OnMessage(WM_PAINT, &CWrenquilDlg::OnPaint),
    Rows::OnMessage(WM_QUERYDRAGICON, &CWrenquilDlg::OnQueryDragIcon),
    Rows::OnNotification(BN_CLICKED, IDC_ADD_TRAY, &CWrenquilDlg::OnAddTray),
    Rows::OnNotification(BN_CLICKED, IDC_REMOVE_TRAY, &CWrenquilDlg::OnRemoveTray),
    Rows::OnMessage(WM_DESTROY, &CWrenquilDlg::OnDestroy),
    Rows::OnMessage(WM_SIZE, &CWrenquilDlg::OnSize),
    Rows::OnCommand(ID_APP_ABOUT, &CWrenquilDlg::OnAbout),
    Rows::OnCommand(ID_TRAY_EXIT, &CWrenquilDlg::OnExit),
    Rows::OnCommand(ID_TRAY_RESTORE, &CWrenquilDlg::OnTrayRestore),
    Rows::OnCommand(ID_MESSAGE_HIDE, &CWrenquilDlg::HideToTray),
    Rows::OnCommand(ID_HELP_ABOUT, &CWrenquilDlg::OnAbout),
    Rows::OnCommand(ID_MESSAGE_EXIT, &CWrenquilDlg::OnExit),
    Rows::OnMessage(WM_CLOSE, &CWrenquilDlg::OnClose),
    Rows::OnCommand(ID_TRAY_LOGIN, &CWrenquilDlg::OnLogin),
    Rows::OnCommand(ID_TRAY_LOGOFF, &CWrenquilDlg::OnLogoff),
    Rows::OnCommand(ID_MESSAGE_LOGIN, &CWrenquilDlg::OnLogin),
    Rows::OnCommand(ID_MESSAGE_LOGOFF, &CWrenquilDlg::OnLogoff),
    Rows::OnNotification(EN_CHANGE, IDC_MESSAGE, &CWrenquilDlg::OnMessageChange),
    Rows::OnNotification(BN_CLICKED, IDC_SEND, &CWrenquilDlg::OnSend),
    Rows::OnCommand(ID_MESSAGE_SEND, &CWrenquilDlg::OnSend),
    Rows::OnCommand(ID_TRAY_PREFERENCES, &CWrenquilDlg::OnPreferences),
    Rows::OnCommand(ID_OPTIONS_PREFERENCES, &CWrenquilDlg::OnPreferences),
    Rows::OnMessage(WM_SHOWWINDOW, &CWrenquilDlg::OnShowWindow),
    Rows::OnNotification(EN_CHANGE, IDC_MOBILE, &CWrenquilDlg::OnMobileChange),
};
const MessageMap CWrenquilDlg::messageMap{&CDialog::messageMap, messageEntries,
                                          std::size(messageEntries)};

const MessageMap* CWrenquilDlg::GetMessageMap() const {
    return &messageMap;
}

CWrenquilDlg::CWrenquilDlg(LoginState& state, Preferences& chosen, const SettingsStore& store)
    : CDialog(IDD_MAIN), login(state), preferences(chosen), settings(store),
      taskbarCreated(::RegisterWindowMessageA("TaskbarCreated")),
      icon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      controls(*this, messageEdit, mobileEdit, sendButton, statusBar,
               [this] { return RunPreferencesDialog(); }) {}

void CWrenquilDlg::DoDataExchange(CDataExchange* exchange) {
    DDX_Control(exchange, IDC_MESSAGE, messageEdit);
    DDX_Control(exchange, IDC_SEND, sendButton);
    DDX_Control(exchange, IDC_MOBILE, mobileEdit);
    DDX_Control(exchange, IDC_LOGO, logo);
}

BOOL CWrenquilDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    trayIcon.emplace(m_hWnd);
    captureHotKey.emplace(m_hWnd);
    ::SetPropA(m_hWnd, MAIN_WINDOW_MARKER, reinterpret_cast<HANDLE>(1));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    logo.SetBitmapAtScale(IDB_LOGO);
    if (CreateStatusBar(statusBar, *this)) {
        controls.SetStatusText(LOGIN_STATUS_PART, NOT_LOGGED_IN_TEXT);
        controls.SetStatusText(COUNTER_STATUS_PART, MAIN_WINDOW_TITLE);
    } else {
        ::MessageBoxA(m_hWnd, "Status Bar not created!", AfxGetApp()->ApplicationName().c_str(),
                      MB_OK);
    }
    settings.LoadSettings(preferences, login);
    captureHotKey->Register({preferences.HotKeyVirtualKey, preferences.HotKeyModifiers});
    SetUpLoginState(login, preferences, controls);
    if (HasPasteSwitch(::GetCommandLineA())) {
        messageEdit.SendMessage(WM_PASTE);
    }
    mobileEdit.LimitText(15);
    mobileEdit.SetWindowText(login.mobileNumber);
    RefreshCounter(login, controls);
    if (preferences.AlwaysShowIcon != 0) {
        trayIcon->Show();
    }
    return TRUE;
}

LRESULT CWrenquilDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated && taskbarCreated != 0) {
        OnTaskbarCreated();
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

PreferencesOutcome CWrenquilDlg::RunPreferencesDialog() {
    CPreferencesDlg dialog(preferences, settings, *captureHotKey);
    dialog.DoModal();
    return dialog.Outcome();
}

// Empties the message box undoably, so Ctrl+Z brings the message back and the box's own change
// notification recounts; hides only when an icon is there to bring the window back.
void CWrenquilDlg::HideToTray() {
    messageEdit.SetSel(0, -1);
    messageEdit.ReplaceSel("", TRUE);
    if (trayIcon->Show()) {
        ShowWindow(SW_HIDE);
    } else if (!::IsIconic(m_hWnd)) {
        ShowWindow(SW_MINIMIZE);
    }
}

void CWrenquilDlg::RestoreFromTray() {
    if (preferences.AlwaysShowIcon == 0) {
        trayIcon->Remove();
    }
    ShowWindow(SW_SHOW);
    ShowWindow(SW_RESTORE);
    ::SetForegroundWindow(m_hWnd);
}

LRESULT CWrenquilDlg::OnTrayNotify(WPARAM, LPARAM lParam) {
    switch (LOWORD(lParam)) {
    case WM_LBUTTONDBLCLK:
        RestoreFromTray();
        SetFocus();
        break;
    case WM_RBUTTONUP:
        ShowTrayMenu(m_hWnd, login.loggedIn == 1);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CWrenquilDlg::OnPasteClipboard(WPARAM, LPARAM) {
    messageEdit.SendMessage(WM_PASTE);
    RefreshCounter(login, controls);
    return 0;
}

LRESULT CWrenquilDlg::OnHotKey(WPARAM id, LPARAM) {
    DesktopCapture desktop(m_hWnd, messageEdit.m_hWnd, [this] { RestoreFromTray(); });
    CaptureSelection(id, desktop);
    return 0;
}

// The hot key is withdrawn and the icon taken down here, while the window still exists.
LRESULT CWrenquilDlg::OnDestroy(WPARAM, LPARAM) {
    ::RemovePropA(m_hWnd, MAIN_WINDOW_MARKER);
    captureHotKey.reset();
    trayIcon.reset();
    return 0;
}

LRESULT CWrenquilDlg::OnSize(WPARAM sizeType, LPARAM) {
    const LRESULT result = Default();
    if (sizeType == SIZE_MINIMIZED && preferences.MinimizeToTray != 0) {
        HideToTray();
    }
    return result;
}

// After a shell restart every tray icon is gone: without ours a hidden window could not be
// brought back by the mouse.
void CWrenquilDlg::OnTaskbarCreated() {
    trayIcon->ShellRestarted();
    if (!::IsWindowVisible(m_hWnd) || preferences.AlwaysShowIcon != 0) {
        trayIcon->Show();
    }
}

void CWrenquilDlg::OnAbout() {
    CAboutDlg dialog;
    dialog.DoModal();
}

void CWrenquilDlg::OnTrayRestore() {
    RestoreFromTray();
    MessageTextChanged(login, controls);
    SetFocus();
}

// A second Send may come from the input handled while the send waits for its reply.
void CWrenquilDlg::OnSend() {
    if (sending) {
        return;
    }
    sending = true;
    WinInetTransport transport;
    SendToGateway(login, controls, transport);
    sending = false;
}

LRESULT CWrenquilDlg::OnShowWindow(WPARAM, LPARAM) {
    const LRESULT result = Default();
    if (firstShow) {
        firstShow = false;
        if (preferences.StartMinimized != 0) {
            // Posted: minimised from inside its own showing, the window would be shown normally
            // again when that showing completes.
            ::PostMessageA(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        }
    }
    return result;
}

} // namespace wrenquil
