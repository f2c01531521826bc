#include "send_to_gateway.h"

#include "core/code_page.h"
#include "core/counter.h"
#include "core/login_state.h"
#include "core/main_window.h"
#include "gateway_request.h"
#include "gateway_transport.h"

namespace wrenquil {

void SendToGateway(LoginState& state, MainWindow& window, GatewayTransport& transport) {
    const int messageLength = window.MessageLength();
    const int mobileLength = window.MobileLength();
    if (!SendAllowed(state, messageLength, mobileLength)) {
        return;
    }
    // A text sent with "?" in place of what the user wrote would be lost without a word.
    const std::optional<std::string> messageText = window.MessageText();
    const std::optional<std::string> mobileText = window.MobileText();
    if (!messageText || !mobileText) {
        window.ShowMessage(NotInCodePageText(messageText ? "mobile number" : "message"), "Info");
        return;
    }
    std::string errorText;
    const std::unique_ptr<GatewaySession> session = transport.OpenSession(errorText);
    if (!session) {
        // Nothing is touched yet: the Send button stays as it is.
        window.SetStatusText(LOGIN_STATUS_PART, FAILURE_PREFIX + errorText);
        return;
    }
    state.mobileNumber = *mobileText;
    const std::string url =
        BuildGatewayUrl(state.userName, state.password, state.mobileNumber, *messageText);

    // The menu's Send as well: one chosen from input made during the send must not send again.
    SetSendEnabled(window, false);
    window.SetStatusText(LOGIN_STATUS_PART, CONNECTING_TEXT);
    const FetchOutcome outcome = session->Fetch(url);
    std::string statusText;
    switch (outcome.kind) {
    case FetchOutcome::Kind::Reply:
        statusText = InterpretGatewayReply(outcome.text);
        break;
    case FetchOutcome::Kind::UrlRejected:
        window.ShowMessage(URL_REJECTED_TEXT, "Error");
        statusText = URL_REJECTED_TEXT;
        break;
    case FetchOutcome::Kind::Failed:
        statusText = FAILURE_PREFIX + outcome.text;
        break;
    }
    window.SetStatusText(LOGIN_STATUS_PART, statusText);
    window.HandleInputMadeWhileBusy();
    SetSendEnabled(window, true);
    window.FocusMessageBox();
} // the session closes last

} // namespace wrenquil
