#include "wrenquil_app.h"

#include "core/login_state.h"
#include "core/settings/preferences.h"
#include "core/settings/settings_store.h"
#include "framework/win32_registry.h"
#include "shell/main_window/wrenquil_dlg.h"
#include "shell/messages.h"

namespace wrenquil {
namespace {

// The process-wide records, alive for the whole run.
LoginState theLoginState;
Preferences thePreferences;

} // namespace

BOOL CWrenquilApp::InitInstance() {
    // The semaphore's existence is the signal; its handle stays open until the process ends.
    ::CreateSemaphoreA(nullptr, 0, 1, kSemaphoreName);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND running = ::FindWindowA(nullptr, kMainWindowTitle);
        if (running != nullptr) {
            ::ShowWindow(running, SW_SHOW);
            ::ShowWindow(running, SW_RESTORE);
            ::SetForegroundWindow(running);
            ::PostMessageA(running, WM_PASTECLIPBOARD, 0, 0);
        }
        return FALSE;
    }
    Win32Registry registry;
    const SettingsStore settings(registry, ApplicationName());
    CWrenquilDlg mainWindow(theLoginState, thePreferences, settings);
    m_pMainWnd = &mainWindow;
    mainWindow.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

} // namespace wrenquil
