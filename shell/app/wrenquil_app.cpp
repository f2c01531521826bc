#include "wrenquil_app.h"

#include "core/login_state.h"
#include "core/settings/preferences.h"
#include "core/settings/settings_store.h"
#include "shell/app/win32_registry.h"
#include "shell/main_window/wrenquil_dlg.h"
#include "shell/messages.h"

namespace wrenquil {
namespace {

// The process-wide records, alive for the whole run.
LoginState theLoginState;
Preferences thePreferences;

// Long enough for a first instance that is still starting to make its window.
constexpr DWORD WAIT_FOR_RUNNING_WINDOW = 5000; // ms
constexpr DWORD POLL_STEP = 50;                 // ms

// The running instance's main window, found by its marker; asks the system only, never the
// window's own thread, which may be busy with a send.
HWND RunningMainWindow() {
    HWND found = nullptr;
    ::EnumWindows(
        [](HWND window, LPARAM result) -> BOOL {
            if (::GetPropA(window, MAIN_WINDOW_MARKER) == nullptr) {
                return TRUE;
            }
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Shows, restores and raises the running window and asks it to paste, without waiting for
// its thread: a second start must end at once even while the first waits on the gateway.
void HandOverToRunningInstance() {
    HWND running = RunningMainWindow();
    for (DWORD waited = 0; running == nullptr && waited < WAIT_FOR_RUNNING_WINDOW;
         waited += POLL_STEP) {
        ::Sleep(POLL_STEP);
        running = RunningMainWindow();
    }
    if (running == nullptr) {
        return;
    }
    ::ShowWindowAsync(running, SW_SHOW);
    ::ShowWindowAsync(running, SW_RESTORE);
    ::SetForegroundWindow(running);
    ::PostMessageA(running, WM_PASTECLIPBOARD, 0, 0);
}

} // namespace

BOOL CWrenquilApp::InitInstance() {
    HANDLE semaphore = ::CreateSemaphoreA(nullptr, 0, 1, SEMAPHORE_NAME);
    const bool anotherInstanceRuns = ::GetLastError() == ERROR_ALREADY_EXISTS;
    m_singleInstance.reset(semaphore);
    if (anotherInstanceRuns) {
        HandOverToRunningInstance();
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
