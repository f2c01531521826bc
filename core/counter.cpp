#include "counter.h"

#include "login_state.h"
#include "main_window.h"
#include "res/resource.h"

#include <cctype>
#include <cstdio>

namespace wrenquil {

MessageCount CountMessages(int length) {
    if (length <= 0) {
        return {0, "messages"};
    }
    if (length <= kSingleMessageLength) {
        return {1, "message"};
    }
    return {(length + kConcatenatedPartLength - 1) / kConcatenatedPartLength, "messages"};
}

std::string CounterText(int length, MessageCount count) {
    char text[64];
    std::snprintf(text, sizeof text, "%d characters / %d %s", length, count.count, count.noun);
    return text;
}

std::vector<std::string> WidestCounterTexts() {
    const std::string longest = CounterText(kMessageBoxLimit, CountMessages(kMessageBoxLimit));
    std::vector<std::string> texts;
    for (char digit = '0'; digit <= '9'; ++digit) {
        std::string text = longest;
        for (char& c : text) {
            if (std::isdigit(static_cast<unsigned char>(c))) {
                c = digit;
            }
        }
        texts.push_back(text);
    }
    return texts;
}

void SetSendEnabled(MainWindow& window, bool enabled) {
    window.EnableSendButton(enabled);
    window.EnableMessageMenuItem(ID_MESSAGE_SEND, enabled);
}

void RefreshCounter(const LoginState& state, MainWindow& window) {
    const int messageLength = window.MessageLength();
    const MessageCount count = CountMessages(messageLength);
    const int mobileLength = window.MobileLength();
    if (SendAllowed(state, messageLength, mobileLength)) {
        SetSendEnabled(window, true);
    } else if (window.SendButtonEnabled()) {
        SetSendEnabled(window, false);
    }
    window.SetStatusText(kCounterStatusPart, CounterText(messageLength, count));
}

void MessageTextChanged(const LoginState& state, MainWindow& window) {
    const int messageLength = window.MessageLength();
    const int mobileLength = window.MobileLength();
    const MessageCount count = CountMessages(messageLength);
    if (messageLength == 0) {
        if (window.SendButtonEnabled()) {
            SetSendEnabled(window, false);
        }
    } else if (mobileLength > 0 && state.loggedIn == 1 && !window.SendButtonEnabled()) {
        SetSendEnabled(window, true);
    }
    window.SetStatusText(kCounterStatusPart, CounterText(messageLength, count));
}

} // namespace wrenquil
