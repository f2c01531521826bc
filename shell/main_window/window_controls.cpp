#include "window_controls.h"

#include "shell/login/login_dlg.h"
#include "waiting_input.h"

namespace wrenquil {

void WindowControls::EnableMessageMenuItem(int commandId, bool enabled) {
    ::EnableMenuItem(::GetSubMenu(::GetMenu(window_.m_hWnd), 0), static_cast<UINT>(commandId),
                     MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// Without a status bar (the system may refuse to make one) the texts go nowhere.
void WindowControls::SetStatusText(int part, const std::string& text) {
    if (statusBar_.m_hWnd != nullptr) {
        statusBar_.SetText(text.c_str(), part, 0);
    }
}

void WindowControls::HandleInputMadeWhileBusy() {
    HandleWaitingInput(window_.m_hWnd);
}

void WindowControls::ShowMessage(const std::string& text, const std::string& caption) {
    ::MessageBoxA(window_.m_hWnd, text.c_str(), caption.c_str(), MB_OK);
}

int WindowControls::RunLoginDialog(LoginState& state) {
    CLoginDlg dialog(state);
    return static_cast<int>(dialog.DoModal());
}

} // namespace wrenquil
