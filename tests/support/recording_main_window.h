// A main window that records every operation the message logic asks of it, in order, and
// behaves like the real one: setting the mobile number raises its change notification.
#pragma once

#include "core/login_state.h"
#include "core/main_window.h"
#include "res/resource.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace wrenquil {

class RecordingMainWindow final : public MainWindow {
public:
    explicit RecordingMainWindow(const LoginState& login) : login_(login) {}

    int messageLength = 0;
    int mobileLength = 0;
    bool sendEnabled = false;
    std::map<int, bool> menuEnabled{
        {ID_MESSAGE_SEND, true}, {ID_MESSAGE_LOGIN, true}, {ID_MESSAGE_LOGOFF, true}};
    std::string status[2];
    std::string messageText;
    std::string mobileText;
    std::function<int(LoginState&)> loginDialog = [](LoginState&) { return 1; };
    std::function<PreferencesOutcome()> preferencesDialog = [] { return PreferencesOutcome{}; };

    std::vector<std::string> calls;

    int MessageLength() override { return Record("n", messageLength); }
    int MobileLength() override { return Record("m", mobileLength); }
    bool SendButtonEnabled() override { return Record("send?", sendEnabled); }
    void EnableSendButton(bool enabled) override {
        calls.push_back(std::string("button ") + (enabled ? "on" : "off"));
        sendEnabled = enabled;
    }
    void EnableMessageMenuItem(int commandId, bool enabled) override {
        calls.push_back(MenuName(commandId) + (enabled ? " on" : " off"));
        menuEnabled[commandId] = enabled;
    }
    void SetStatusText(int part, const std::string& text) override {
        calls.push_back("status" + std::to_string(part) + " " + text);
        status[part] = text;
    }
    void SetMobileText(const std::string& text) override {
        calls.push_back("mobile text " + text);
        mobileText = text;
        mobileLength = static_cast<int>(text.size());
        MobileNumberChanged(login_, *this);
    }
    std::string MessageText() override { return Record("message text", messageText); }
    std::string MobileText() override { return Record("mobile text", mobileText); }
    void FocusMessageBox() override { calls.push_back("focus message"); }
    void HandleInputMadeWhileBusy() override { calls.push_back("queued input"); }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        calls.push_back("message box " + caption + ": " + text);
    }
    int RunLoginDialog(LoginState& state) override {
        calls.push_back("login dialog");
        return loginDialog(state);
    }
    PreferencesOutcome RunPreferencesDialog() override {
        calls.push_back("preferences dialog");
        return preferencesDialog();
    }

private:
    template <typename T> T Record(const char* what, T value) {
        calls.push_back(what);
        return value;
    }
    static std::string MenuName(int commandId) {
        switch (commandId) {
        case ID_MESSAGE_SEND:
            return "menu Send";
        case ID_MESSAGE_LOGIN:
            return "menu Login";
        case ID_MESSAGE_LOGOFF:
            return "menu Logoff";
        default:
            return "menu " + std::to_string(commandId);
        }
    }

    const LoginState& login_;
};

} // namespace wrenquil
