// The Send command: one request to the gateway with the message in the window, the outcome in
// the status bar's left part.
#pragma once

namespace wrenquil {

class GatewayTransport;
class MainWindow;
struct LoginState;

inline constexpr char CONNECTING_TEXT[] = "Connect to server, please wait...";
inline constexpr char FAILURE_PREFIX[] = "Exception: ";
inline constexpr char URL_REJECTED_TEXT[] =
    "Error: AfxParseURL did not accept the URL you provided.";

void SendToGateway(LoginState& state, MainWindow& window, GatewayTransport& transport);

} // namespace wrenquil
