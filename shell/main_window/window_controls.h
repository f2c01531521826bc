// What the message logic sees of the main window and does through it: its two boxes, Send,
// the Message menu, the status bar, and the dialogs and message boxes it opens over it.
#pragma once

#include "core/login_state.h"
#include "core/main_window.h"
#include "framework/controls.h"
#include "framework/dialog.h"

#include <functional>

namespace wrenquil {

class WindowControls final : public MainWindow {
public:
    WindowControls(CDialog& window, CEdit& messageEdit, CEdit& mobileEdit, CButton& sendButton,
                   CStatusBarCtrl& statusBar, std::function<PreferencesOutcome()> runPreferences)
        : window_(window), messageEdit_(messageEdit), mobileEdit_(mobileEdit),
          sendButton_(sendButton), statusBar_(statusBar),
          runPreferences_(std::move(runPreferences)) {}

    int MessageLength() override { return messageEdit_.GetWindowTextLength(); }
    int MobileLength() override { return mobileEdit_.GetWindowTextLength(); }
    bool SendButtonEnabled() override { return sendButton_.IsWindowEnabled() != FALSE; }
    void EnableSendButton(bool enabled) override { sendButton_.EnableWindow(enabled); }
    void EnableMessageMenuItem(int commandId, bool enabled) override;
    void SetStatusText(int part, const std::string& text) override;
    void SetMobileText(const std::string& text) override { mobileEdit_.SetWindowText(text); }
    std::optional<std::string> MessageText() override {
        return messageEdit_.GetWindowTextInCodePage();
    }
    std::optional<std::string> MobileText() override {
        return mobileEdit_.GetWindowTextInCodePage();
    }
    void FocusMessageBox() override { messageEdit_.SetFocus(); }
    void HandleInputMadeWhileBusy() override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    int RunLoginDialog(LoginState& state) override;
    PreferencesOutcome RunPreferencesDialog() override { return runPreferences_(); }

private:
    CDialog& window_;
    CEdit& messageEdit_;
    CEdit& mobileEdit_;
    CButton& sendButton_;
    CStatusBarCtrl& statusBar_;
    std::function<PreferencesOutcome()> runPreferences_;
};

} // namespace wrenquil
