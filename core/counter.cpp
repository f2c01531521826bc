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
    if (length <= SINGLE_MESSAGE_LENGTH) {
        return {1, "message"};
    }
    return {(length + CONCATENATED_PART_LENGTH - 1) / CONCATENATED_PART_LENGTH, "messages"};
}

std::string CounterText(int length, MessageCount count) {
    char text[64];
    std::snprintf(text, sizeof text, "%d characters / %d %s", length, count.count, count.noun);
    return text;
}

std::vector<std::string> WidestCounterTexts() {
    const std::string longest = CounterText(MESSAGE_BOX_LIMIT, CountMessages(MESSAGE_BOX_LIMIT));
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

namespace {

void ShowCounter(MainWindow& window, int messageLength) {
    window.SetStatusText(COUNTER_STATUS_PART,
                         CounterText(messageLength, CountMessages(messageLength)));
}

} // namespace

void RefreshCounter(const LoginState& state, MainWindow& window) {
    const int messageLength = window.MessageLength();
    if (SendAllowed(state, messageLength, window.MobileLength())) {
        SetSendEnabled(window, true);
    } else if (window.SendButtonEnabled()) {
        SetSendEnabled(window, false);
    }
    ShowCounter(window, messageLength);
}

// Never disables Send while the message is not empty: an emptied number and a log-off do
// that through their own handlers.
void MessageTextChanged(const LoginState& state, MainWindow& window) {
    const int messageLength = window.MessageLength();
    if (messageLength == 0) {
        if (window.SendButtonEnabled()) {
            SetSendEnabled(window, false);
        }
    } else if (SendAllowed(state, messageLength, window.MobileLength()) &&
               !window.SendButtonEnabled()) {
        SetSendEnabled(window, true);
    }
    ShowCounter(window, messageLength);
}

} // namespace wrenquil
