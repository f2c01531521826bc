// A main window that keeps what a user would see: the boxes' texts, Send and the Message menu's
// items enabled or not, the status bar, and the dialogs and message boxes shown. Like the real
// one, setting the mobile number raises its change notification.
#pragma once

#include "core/login_state.h"
#include "core/main_window.h"
#include "res/resource.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace wrenquil {

class FakeMainWindow final : public MainWindow {
public:
    explicit FakeMainWindow(const LoginState& login, bool sendOn = false) : login_(login) {
        EnableSendButton(sendOn);
        EnableMessageMenuItem(ID_MESSAGE_SEND, sendOn);
    }

    std::string messageText;
    std::string mobileText;
    bool sendEnabled = false;
    std::map<int, bool> menuEnabled; // only the items that were set
    std::string status[2];
    bool messageFocused = false;
    std::vector<std::string> shown; // dialogs and message boxes, in order
    std::function<int(LoginState&)> loginDialog = [](LoginState&) { return 1; };
    std::function<PreferencesOutcome()> preferencesDialog = [] { return PreferencesOutcome{}; };
    std::function<void()> onInputMadeWhileBusy = [] {};

    // Send as the button and the menu item show it: "on", "off", or "button on, menu off".
    std::string Send() const {
        const bool menu = menuEnabled.at(ID_MESSAGE_SEND);
        if (menu == sendEnabled) {
            return sendEnabled ? "on" : "off";
        }
        return std::string("button ") + (sendEnabled ? "on" : "off") + ", menu " +
               (menu ? "on" : "off");
    }

    // Login and Logoff in the Message menu: "on off", or "-" for an item never set.
    std::string LoginItems() const {
        return Item(ID_MESSAGE_LOGIN) + " " + Item(ID_MESSAGE_LOGOFF);
    }

    int MessageLength() override { return static_cast<int>(messageText.size()); }
    int MobileLength() override { return static_cast<int>(mobileText.size()); }
    bool SendButtonEnabled() override { return sendEnabled; }
    void EnableSendButton(bool enabled) override { sendEnabled = enabled; }
    void EnableMessageMenuItem(int commandId, bool enabled) override {
        menuEnabled[commandId] = enabled;
    }
    void SetStatusText(int part, const std::string& text) override { status[part] = text; }
    void SetMobileText(const std::string& text) override {
        mobileText = text;
        MobileNumberChanged(login_, *this);
    }
    std::string MessageText() override { return messageText; }
    std::string MobileText() override { return mobileText; }
    void FocusMessageBox() override { messageFocused = true; }
    void HandleInputMadeWhileBusy() override { onInputMadeWhileBusy(); }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        shown.push_back(caption + ": " + text);
    }
    int RunLoginDialog(LoginState& state) override {
        shown.push_back("Login");
        return loginDialog(state);
    }
    PreferencesOutcome RunPreferencesDialog() override {
        shown.push_back("Preferences");
        return preferencesDialog();
    }

private:
    std::string Item(int commandId) const {
        const auto item = menuEnabled.find(commandId);
        return item == menuEnabled.end() ? "-" : item->second ? "on" : "off";
    }

    const LoginState& login_;
};

} // namespace wrenquil
