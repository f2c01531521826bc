#include "wrenquil_dlg.h"

#include "core/counter.h"
#include "core/login_state.h"
#include "core/settings/preferences.h"
#include "core/settings/settings_store.h"
#include "framework/app.h"
#include "framework/owned_handle.h"
#include "gateway/send_to_gateway.h"
#include "gateway/wininet_transport.h"
#include "res/resource.h"
#include "shell/about/about_dlg.h"
#include "shell/capture/capture_rules.h"
#include "shell/login/login_dlg.h"
#include "shell/messages.h"
#include "shell/preferences/preferences_dlg.h"

#include <algorithm>
#include <iterator>

namespace wrenquil {
namespace {

using Rows = MessageRows<CWrenquilDlg>;

constexpr int kStatusBarHeight = 25;
constexpr double kLoginPartShare = 0.72; // of the window's outer width

// Explorer announces a restart with this message; its number is known only at run time.
UINT taskbarCreatedMessage = 0;

} // namespace

const MessageMapEntry CWrenquilDlg::messageEntries[] = {
    Rows::OnMessage(WM_TRAYNOTIFY, &CWrenquilDlg::OnTrayNotify),
    Rows::OnMessage(WM_PASTECLIPBOARD, &CWrenquilDlg::OnPasteClipboard),
    Rows::OnMessage(WM_HOTKEY, &CWrenquilDlg::OnHotKey),
    Rows::OnMessage(WM_SYSCOMMAND, &CWrenquilDlg::OnDefault),
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
    Rows::OnMessage(WM_CHAR, &CWrenquilDlg::OnDefault),
    Rows::OnRegisteredMessage(taskbarCreatedMessage, &CWrenquilDlg::OnTaskbarCreated),
};
const MessageMap CWrenquilDlg::messageMap{&CDialog::messageMap, messageEntries,
                                          std::size(messageEntries)};

const MessageMap* CWrenquilDlg::GetMessageMap() const {
    return &messageMap;
}

CWrenquilDlg::CWrenquilDlg(LoginState& login, Preferences& preferences,
                           const SettingsStore& settings, CWnd* parent)
    : CDialog(IDD_MAIN, parent), login_(login), preferences_(preferences), settings_(settings),
      icon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {
    taskbarCreatedMessage = ::RegisterWindowMessageA("TaskbarCreated");
}

CWrenquilDlg::~CWrenquilDlg() = default;

void CWrenquilDlg::DoDataExchange(CDataExchange* exchange) {
    DDX_Control(exchange, IDC_MESSAGE, messageEdit);
    DDX_Control(exchange, IDC_SEND, sendButton);
    DDX_Control(exchange, IDC_MOBILE, mobileEdit);
    DDX_Control(exchange, IDC_LOGO, logo);
}

BOOL CWrenquilDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    trayIcon_.SetOwner(m_hWnd);
    captureHotKey_.SetOwner(m_hWnd);
    ::SetPropA(m_hWnd, kMainWindowMarker, reinterpret_cast<HANDLE>(1));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    logo.SetBitmapAtScale(IDB_LOGO);
    CreateStatusBar();
    settings_.LoadSettings(preferences_, login_);
    captureHotKey_.Register({preferences_.HotKeyVirtualKey, preferences_.HotKeyModifiers});
    SetUpLoginState(login_, preferences_, *this);
    if (HasPasteSwitch(::GetCommandLineA())) {
        messageEdit.SendMessage(WM_PASTE);
    }
    mobileEdit.LimitText(15);
    mobileEdit.SetWindowText(login_.mobileNumber);
    RefreshCounter(login_, *this);
    if (preferences_.AlwaysShowIcon != 0) {
        trayIcon_.Show();
    }
    return TRUE;
}

void CWrenquilDlg::CreateStatusBar() {
    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    rect.top = rect.bottom - kStatusBarHeight;
    if (!statusBar.Create(WS_CHILD | WS_VISIBLE, rect, this, IDC_STATUSBAR)) {
        ::MessageBoxA(m_hWnd, "Status Bar not created!",
                      AfxGetApp() ? AfxGetApp()->ApplicationName().c_str() : kTrayTip, MB_OK);
        return;
    }
    // The login part keeps its share of the window unless the counter would be cut off.
    ::GetWindowRect(m_hWnd, &rect);
    const int share = static_cast<int>((rect.right - rect.left) * kLoginPartShare);
    RECT bar;
    ::GetClientRect(statusBar.m_hWnd, &bar);
    const int rightEdges[2] = {
        std::max(0, std::min(share, static_cast<int>(bar.right) - CounterPartWidth())), -1};
    statusBar.SetMinHeight(kStatusBarHeight);
    statusBar.SetParts(2, rightEdges);
    SetStatusText(kLoginStatusPart, kNotLoggedInText);
    SetStatusText(kCounterStatusPart, kMainWindowTitle);
}

// Room for the widest counter the message box can give, in the status bar's own font, with
// the part's borders and a margin of one average character on either side of the text.
int CWrenquilDlg::CounterPartWidth() const {
    HDC dc = ::GetDC(statusBar.m_hWnd);
    HGDIOBJ previous =
        ::SelectObject(dc, reinterpret_cast<HFONT>(statusBar.SendMessage(WM_GETFONT)));
    int widest = 0;
    for (const std::string& text : WidestCounterTexts()) {
        SIZE size{};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, previous);
    ::ReleaseDC(statusBar.m_hWnd, dc);
    int borders[3] = {}; // horizontal, vertical, between parts
    statusBar.SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    return widest + 2 * metrics.tmAveCharWidth + 2 * borders[0] + borders[2];
}

void CWrenquilDlg::EnableMessageMenuItem(int commandId, bool enabled) {
    ::EnableMenuItem(::GetSubMenu(::GetMenu(m_hWnd), 0), static_cast<UINT>(commandId),
                     MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CWrenquilDlg::SetStatusText(int part, const std::string& text) {
    if (statusBar.m_hWnd != nullptr) {
        statusBar.SetText(text.c_str(), part, 0);
    }
}

void CWrenquilDlg::ShowMessage(const std::string& text, const std::string& caption) {
    ::MessageBoxA(m_hWnd, text.c_str(), caption.c_str(), MB_OK);
}

int CWrenquilDlg::RunLoginDialog(LoginState& login) {
    CLoginDlg dialog(login);
    return static_cast<int>(dialog.DoModal());
}

PreferencesOutcome CWrenquilDlg::RunPreferencesDialog() {
    CPreferencesDlg dialog(preferences_, settings_, captureHotKey_);
    const INT_PTR result = dialog.DoModal();
    PreferencesOutcome outcome = dialog.outcome;
    outcome.result = static_cast<int>(result);
    return outcome;
}

// Empties the message box undoably, so Ctrl+Z brings the message back and the box's own change
// notification recounts; hides only when an icon is there to bring the window back.
void CWrenquilDlg::HideToTray() {
    messageEdit.SetSel(0, -1);
    messageEdit.ReplaceSel("", TRUE);
    if (trayIcon_.Show()) {
        ShowWindow(SW_HIDE);
    } else if (!::IsIconic(m_hWnd)) {
        ShowWindow(SW_MINIMIZE);
    }
}

void CWrenquilDlg::RestoreFromTray() {
    if (preferences_.AlwaysShowIcon == 0) {
        trayIcon_.Remove();
    }
    ShowWindow(SW_SHOW);
    ShowWindow(SW_RESTORE);
    ::SetForegroundWindow(m_hWnd);
}

void CWrenquilDlg::ShowTrayMenu() {
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(m_hWnd);
    const OwnedMenu menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU)));
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    ::SetMenuDefaultItem(popup, ID_TRAY_RESTORE, FALSE);
    ::EnableMenuItem(popup, login_.loggedIn == 1 ? ID_TRAY_LOGIN : ID_TRAY_LOGOFF,
                     MF_BYCOMMAND | MF_GRAYED);
    ::TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

LRESULT CWrenquilDlg::OnTrayNotify(WPARAM, LPARAM lParam) {
    switch (LOWORD(lParam)) {
    case WM_LBUTTONDBLCLK:
        RestoreFromTray();
        SetFocus();
        break;
    case WM_RBUTTONUP:
        ShowTrayMenu();
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CWrenquilDlg::OnPasteClipboard(WPARAM, LPARAM) {
    messageEdit.SendMessage(WM_PASTE);
    RefreshCounter(login_, *this);
    return 0;
}

LRESULT CWrenquilDlg::OnHotKey(WPARAM id, LPARAM) {
    CaptureSelection(id, *this);
    return 0;
}

// Messages sent by other programs are still answered: the program that copies sends
// WM_DESTROYCLIPBOARD to the clipboard's owner, which may be our message box, and waits.
void CWrenquilDlg::Pause(unsigned milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now),
                                        QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG msg;
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

bool CWrenquilDlg::ModifierKeysDown() {
    for (const int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN}) {
        if (::GetAsyncKeyState(key) < 0) {
            return true;
        }
    }
    return false;
}

bool CWrenquilDlg::ClipboardBusy() {
    if (!::OpenClipboard(m_hWnd)) {
        return true;
    }
    ::CloseClipboard();
    return false;
}

// The system posts a hot key's message when the key is pressed; the capture's own Scroll Lock
// has set the key off by the time the copy has reached the other program (input is taken in
// order), and so has anything the user pressed before.
void CWrenquilDlg::DropHotKeyPressesMeanwhile() {
    MSG msg;
    while (::PeekMessageA(&msg, m_hWnd, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
    }
}

LRESULT CWrenquilDlg::OnPaint(WPARAM, LPARAM) {
    if (!::IsIconic(m_hWnd)) {
        return Default();
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, icon);
    ::EndPaint(m_hWnd, &paint);
    return 0;
}

void CWrenquilDlg::OnAddTray() {
    trayIcon_.Show();
}

void CWrenquilDlg::OnRemoveTray() {
    trayIcon_.Remove();
}

LRESULT CWrenquilDlg::OnDestroy(WPARAM, LPARAM) {
    ::RemovePropA(m_hWnd, kMainWindowMarker);
    captureHotKey_.Unregister();
    trayIcon_.Remove();
    return 0;
}

LRESULT CWrenquilDlg::OnSize(WPARAM sizeType, LPARAM) {
    const LRESULT result = Default();
    if (sizeType == SIZE_MINIMIZED && preferences_.MinimizeToTray != 0) {
        HideToTray();
    }
    return result;
}

// After a shell restart every tray icon is gone: without ours a hidden window could not be
// brought back by the mouse.
LRESULT CWrenquilDlg::OnTaskbarCreated(WPARAM, LPARAM) {
    trayIcon_.ShellRestarted();
    if (!::IsWindowVisible(m_hWnd) || preferences_.AlwaysShowIcon != 0) {
        trayIcon_.Show();
    }
    return 0;
}

void CWrenquilDlg::OnAbout() {
    CAboutDlg dialog;
    dialog.DoModal();
}

void CWrenquilDlg::OnTrayRestore() {
    RestoreFromTray();
    MessageTextChanged(login_, *this);
    SetFocus();
}

void CWrenquilDlg::OnLogin() {
    LoginCommand(login_, *this);
}

void CWrenquilDlg::OnLogoff() {
    LogoffCommand(login_, *this);
}

void CWrenquilDlg::OnMessageChange() {
    MessageTextChanged(login_, *this);
}

void CWrenquilDlg::OnSend() {
    if (sending_) {
        return; // asked for by input handled while the send waited for its reply
    }
    sending_ = true;
    WinInetTransport transport;
    SendToGateway(login_, *this, transport);
    sending_ = false;
}

// A send holds the thread, so clicks and keys made meanwhile wait in the queue; handled after
// Send is back, a second click would send again. They are handled here, Send still greyed, and
// so are the characters and menu commands they give rise to. The focus is still where the send
// left it: keys pressed on the (greyed, so unfocused) button go to no box.
void CWrenquilDlg::HandleInputMadeWhileBusy() {
    // Wine takes input from the display only when the thread looks for it.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!::IsDialogMessageA(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

void CWrenquilDlg::OnPreferences() {
    PreferencesCommand(login_, *this);
}

LRESULT CWrenquilDlg::OnShowWindow(WPARAM, LPARAM) {
    const LRESULT result = Default();
    if (firstShow_) {
        firstShow_ = false;
        if (preferences_.StartMinimized != 0) {
            // Posted: minimised from inside its own showing, the window would be shown normally
            // again when that showing completes.
            ::PostMessageA(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        }
    }
    return result;
}

void CWrenquilDlg::OnMobileChange() {
    MobileNumberChanged(login_, *this);
}

} // namespace wrenquil
