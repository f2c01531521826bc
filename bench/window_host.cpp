#include "window_host.h"

#include "core/settings/preferences.h"
#include "core/settings/registry_api.h"
#include "core/settings/settings_store.h"
#include "framework/app.h"
#include "shell/main_window/wrenquil_dlg.h"

#include <cstdio>

namespace wrenquil {
namespace {

class NoRegistry final : public RegistryApi {
public:
    RegStatus OpenKey(RegKey, const std::string&, std::uint32_t, RegKey*) override {
        return kRegNotFound;
    }
    RegStatus CreateKey(RegKey, const std::string&, std::uint32_t, RegKey*) override {
        return kRegAccessDenied;
    }
    RegStatus QueryValue(RegKey, const std::string&, std::uint32_t*, std::uint8_t*,
                         std::uint32_t*) override {
        return kRegNotFound;
    }
    RegStatus SetValue(RegKey, const std::string&, std::uint32_t, const std::uint8_t*,
                       std::uint32_t) override {
        return kRegAccessDenied;
    }
    RegStatus QueryValueAsStored(RegKey, const std::string&, std::uint32_t*, std::uint8_t*,
                                 std::uint32_t*) override {
        return kRegNotFound;
    }
    RegStatus SetValueAsStored(RegKey, const std::string&, std::uint32_t, const std::uint8_t*,
                               std::uint32_t) override {
        return kRegAccessDenied;
    }
    RegStatus DeleteValue(RegKey, const std::string&) override { return kRegNotFound; }
    RegStatus CloseKey(RegKey) override { return kRegSuccess; }
};

constexpr UINT kPollMs = 10;
constexpr DWORD kShowWaitMs = 10000; // a window not shown by then never will be

struct Pending {
    CWrenquilDlg* window = nullptr;
    const std::function<void(CWrenquilDlg&, HWND)>* work = nullptr;
    DWORD since = 0;
    bool ran = false;
};
Pending pending;

// The dialog's loop shows the window once its queue is first empty, after this timer may
// have fired: look again until it is shown.
void CALLBACK RunWork(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = pending.window->m_hWnd;
    const bool shown = dialog != nullptr && ::IsWindowVisible(dialog);
    if (!shown && ::GetTickCount() - pending.since < kShowWaitMs) {
        return;
    }
    ::KillTimer(nullptr, timer);
    if (shown) {
        pending.ran = true;
        (*pending.work)(*pending.window, dialog);
    } else {
        std::fprintf(stderr, "bench: the main window is not shown\n");
    }
    ::PostMessageA(dialog, WM_CLOSE, 0, 0);
}

} // namespace

bool RunMainWindow(LoginState& login,
                   const std::function<void(CWrenquilDlg& window, HWND dialog)>& work) {
    CWinApp app{"Wrenquil"};
    RegisterCommonControls();
    NoRegistry registry;
    const SettingsStore store(registry, "Wrenquil");
    Preferences preferences;
    CWrenquilDlg window(login, preferences, store);
    app.m_pMainWnd = &window;
    pending = {&window, &work, ::GetTickCount(), false};
    // A thread timer fires inside the dialog's own loop, once the window is up and idle.
    ::SetTimer(nullptr, 0, kPollMs, RunWork);
    window.DoModal();
    app.m_pMainWnd = nullptr;
    return pending.ran;
}

} // namespace wrenquil
