// A main window that keeps what a user would see: the boxes' texts, Send and the Message menu's
// items enabled or not, the status bar, and the dialogs and message boxes shown. Like the real
// one, setting the mobile number raises its change notification. It stands in for the gateway
// too: it keeps what the gateway was asked, and notes among what is shown the session's life
// and what the window showed while fetching.
#pragma once

#include "core/login_state.h"
#include "core/main_window.h"
#include "gateway/gateway_request.h"
#include "gateway/gateway_transport.h"
#include "res/resource.h"

#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace wrenquil {

class FakeMainWindow final : public MainWindow, public GatewayTransport {
public:
    FakeMainWindow(const LoginState& login, bool sendOn, std::string message, std::string mobile)
        : messageText(std::move(message)), mobileText(std::move(mobile)),
          sendButton(sendOn), menu{{ID_MESSAGE_SEND, sendOn}}, login_(login) {}

    std::string messageText, mobileText;
    bool sendButton;
    std::map<int, bool> menu;                 // the Message menu's items that were set
    std::string status[2];                    // the status bar's parts
    std::string shown;                        // dialogs and message boxes, in order
    int loginResult = 1;                      // the Login dialog's; accepted (0) as "ann" with "pw"
    PreferencesOutcome preferences;           // what the Preferences dialog hands back
    std::string sendWhenBusy = "not handled"; // when the input queued during a send is handled
    std::optional<FetchOutcome> fetched;      // what the gateway answers; none: no session opens
    std::string asked;                        // the path and query the gateway was asked for
    std::string unheld; // the box ("message", "number") that holds what the code page cannot

    // Send as the button and the menu item show it: "on", "off", or "differ".
    std::string Send() const {
        return menu.at(ID_MESSAGE_SEND) == sendButton ? Item(ID_MESSAGE_SEND) : "differ";
    }
    // An item of the Message menu: "on", "off", or "-" when never set.
    std::string Item(int commandId) const {
        const auto item = menu.find(commandId);
        return item == menu.end() ? "-" : item->second ? "on" : "off";
    }

    int MessageLength() override { return static_cast<int>(messageText.size()); }
    int MobileLength() override { return static_cast<int>(mobileText.size()); }
    bool SendButtonEnabled() override { return sendButton; }
    void EnableSendButton(bool enabled) override { sendButton = enabled; }
    void EnableMessageMenuItem(int commandId, bool enabled) override { menu[commandId] = enabled; }
    void SetStatusText(int part, const std::string& text) override { status[part] = text; }
    void SetMobileText(const std::string& text) override {
        mobileText = text;
        MobileNumberChanged(login_, *this);
    }
    std::optional<std::string> MessageText() override {
        return unheld == "message" ? std::nullopt : std::optional(messageText);
    }
    std::optional<std::string> MobileText() override {
        return unheld == "number" ? std::nullopt : std::optional(mobileText);
    }
    void FocusMessageBox() override {}
    void HandleInputMadeWhileBusy() override { sendWhenBusy = Send(); }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        shown += caption + ": " + text;
    }
    int RunLoginDialog(LoginState& state) override {
        shown += "Login";
        state = loginResult == 0 ? LoginState{"ann", "pw", state.mobileNumber, 0} : state;
        return loginResult;
    }
    PreferencesOutcome RunPreferencesDialog() override {
        shown += "Preferences";
        return preferences;
    }

    std::unique_ptr<GatewaySession> OpenSession(std::string& errorText) override {
        errorText = "no session";
        if (!fetched) {
            return nullptr;
        }
        shown += "open, ";
        return std::make_unique<Session>(*this);
    }

private:
    struct Session final : GatewaySession {
        explicit Session(FakeMainWindow& fake) : window(fake) {}
        ~Session() override { window.shown += "closed"; }
        FetchOutcome Fetch(const std::string& url) override {
            window.shown += window.status[0] + " / Send " + window.Send() + ", ";
            window.asked = url.substr(GatewayBaseAddress().size() - std::strlen(GATEWAY_PATH));
            return *window.fetched;
        }
        FakeMainWindow& window;
    };

    const LoginState& login_;
};

} // namespace wrenquil
