#include "counter.h"

#include "login_state.h"
#include "main_window.h"
#include "res/resource.h"

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
