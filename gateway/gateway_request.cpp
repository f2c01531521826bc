#include "gateway_request.h"

namespace wrenquil {
namespace {

bool IsKeptAsIs(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

std::string InterpretMarker(std::string_view replyText, std::string_view marker,
                            const char* prefix) {
    return prefix + std::string(replyText.substr(marker.size()));
}

} // namespace

std::string GatewayBaseAddress() {
    return std::string("https://") + GATEWAY_HOST + GATEWAY_PATH;
}

std::string UrlEncodeText(std::string_view text) {
    static const char HEX_DIGITS[] = "0123456789ABCDEF";
    text = UpToZero(text);
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsKeptAsIs(byte)) {
            encoded.push_back(c);
        } else if (byte == ' ') {
            encoded.push_back('+');
        } else {
            encoded.push_back('%');
            encoded.push_back(HEX_DIGITS[byte >> 4]);
            encoded.push_back(HEX_DIGITS[byte & 0x0F]);
        }
    }
    return encoded;
}

std::string BuildGatewayUrl(std::string_view userName, std::string_view password,
                            std::string_view mobileNumber, std::string_view messageText) {
    return GatewayBaseAddress() + "?usr=" + UrlEncodeText(userName) +
           "&pwd=" + UrlEncodeText(password) + "&mob=" + UrlEncodeText(mobileNumber) +
           "&txt=" + UrlEncodeText(messageText);
}

std::string InterpretGatewayReply(std::string_view replyText) {
    if (replyText.size() > 2) {
        if (replyText.substr(0, 2) == "0|") {
            return InterpretMarker(replyText, "0|", "FAILED. ");
        }
        if (replyText.substr(0, 2) == "1|") {
            return InterpretMarker(replyText, "1|", "OK. ");
        }
    }
    return std::string(replyText);
}

} // namespace wrenquil
