// The live character / SMS counter and the Send enabling that follows each recount.
#pragma once

#include <string>
#include <vector>

namespace wrenquil {

class MainWindow;
struct LoginState;

struct MessageCount {
    int count;
    const char* noun; // "message" or "messages"
};

inline constexpr int COUNTER_STATUS_PART = 1;
inline constexpr int SINGLE_MESSAGE_LENGTH = 160;
inline constexpr int CONCATENATED_PART_LENGTH = 134;
inline constexpr int MESSAGE_BOX_LIMIT = 30000; // the edit control's default limit

MessageCount CountMessages(int length);
std::string CounterText(int length, MessageCount count);
// Texts at least as wide as every counter text the message box can give, in any font: the
// longest one with each digit in every place.
std::vector<std::string> WidestCounterTexts();

// Enables or greys the Send button and the Send menu item together.
void SetSendEnabled(MainWindow& window, bool enabled);

// Full recount: sets the Send state from the login state and both lengths.
void RefreshCounter(const LoginState& state, MainWindow& window);
// Recount after the message text changed: never disables Send while the message is not empty.
void MessageTextChanged(const LoginState& state, MainWindow& window);

} // namespace wrenquil
