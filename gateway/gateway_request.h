// The gateway exchange without the transport: the one request URL, and the status text made
// from the gateway's reply.
#pragma once

#include <string>
#include <string_view>

namespace wrenquil {

// The gateway's host name, optionally with ":port"; fixed when the program is built.
extern const char GATEWAY_HOST[];

inline constexpr char GATEWAY_PATH[] = "/wrenquil/index.php";

// "https://" + host + path.
std::string GatewayBaseAddress();

// Letters, digits and "_" stay, a blank becomes "+", every other byte "%XX" (upper-case hex).
// The input ends at its first zero byte.
std::string UrlEncodeText(std::string_view text);

// The request URL. Every value is encoded, so a password holding "&" or "=" and a number
// starting with "+" reach the gateway as they were typed.
std::string BuildGatewayUrl(std::string_view userName, std::string_view password,
                            std::string_view mobileNumber, std::string_view messageText);

// "1|..." becomes "OK. ...", "0|..." becomes "FAILED. ..."; anything else is shown unchanged.
std::string InterpretGatewayReply(std::string_view replyText);

} // namespace wrenquil
