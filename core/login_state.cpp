#include "login_state.h"

#include "counter.h"
#include "main_window.h"
#include "res/resource.h"
#include "settings/preferences.h"

namespace wrenquil {
namespace {

bool HasCredentials(const LoginState& state) {
    return !state.userName.empty() && !state.password.empty();
}

// Login greyed, Logoff on, and the user's name in the status bar.
void ShowLoggedIn(const LoginState& state, MainWindow& window) {
    window.EnableMessageMenuItem(ID_MESSAGE_LOGIN, false);
    window.EnableMessageMenuItem(ID_MESSAGE_LOGOFF, true);
    window.SetStatusText(LOGIN_STATUS_PART, LoggedInStatusText(state.userName));
}

// Send on when a message and a number wait for the user just logged in; left as it is else.
void EnableSendWhenAllowed(const LoginState& state, MainWindow& window) {
    if (SendAllowed(state, window.MessageLength(), window.MobileLength())) {
        SetSendEnabled(window, true);
    }
}

void ShowLoggedOut(MainWindow& window) {
    SetSendEnabled(window, false);
    window.EnableMessageMenuItem(ID_MESSAGE_LOGIN, true);
    window.EnableMessageMenuItem(ID_MESSAGE_LOGOFF, false);
    window.SetStatusText(LOGIN_STATUS_PART, LOGGED_OUT_TEXT);
}

} // namespace

std::string LoggedInStatusText(const std::string& userName) {
    return "User \"" + userName + "\" logged in, to logoff choose Message->Logoff";
}

bool SendAllowed(const LoginState& state, int messageLength, int mobileLength) {
    return state.loggedIn == 1 && messageLength > 0 && mobileLength > 0;
}

void SetUpLoginState(LoginState& state, const Preferences& preferences, MainWindow& window) {
    state.loggedIn = 0;
    if (preferences.AutoLogon == 0) {
        ShowLoggedOut(window);
        return;
    }
    if (HasCredentials(state)) {
        state.loggedIn = 1;
        SetSendEnabled(window, false); // until the recount that ends the start-up
        ShowLoggedIn(state, window);
        return;
    }
    LoginCommand(state, window);
}

void LoginCommand(LoginState& state, MainWindow& window) {
    if (state.loggedIn == 1 || window.RunLoginDialog(state) != 0) {
        return;
    }
    state.loggedIn = 1;
    ShowLoggedIn(state, window);
    EnableSendWhenAllowed(state, window);
}

void LogoffCommand(LoginState& state, MainWindow& window) {
    if (state.loggedIn == 0) {
        return;
    }
    state.loggedIn = 0;
    ShowLoggedOut(window);
}

void ApplyAcceptedPreferences(LoginState& state, const PreferencesOutcome& outcome) {
    if (outcome.result != 0 || !outcome.autoLogon) {
        return;
    }
    if (!outcome.userName.empty() && !outcome.password.empty()) {
        state.loggedIn = 1;
        state.userName = outcome.userName;
        state.password = outcome.password;
    }
    if (!outcome.mobileNumber.empty()) {
        state.mobileNumber = outcome.mobileNumber;
    }
}

void PreferencesCommand(LoginState& state, MainWindow& window) {
    const PreferencesOutcome outcome = window.RunPreferencesDialog();
    if (outcome.result != 0) {
        return;
    }
    ApplyAcceptedPreferences(state, outcome);
    if (!state.mobileNumber.empty()) {
        window.SetMobileText(state.mobileNumber);
    }
    if (state.loggedIn == 1 && HasCredentials(state)) {
        ShowLoggedIn(state, window);
        EnableSendWhenAllowed(state, window);
    }
}

// A non-empty number never disables Send here: an emptied message and a log-off do that
// through their own handlers.
void MobileNumberChanged(const LoginState& state, MainWindow& window) {
    const int mobileLength = window.MobileLength();
    if (SendAllowed(state, window.MessageLength(), mobileLength) && !window.SendButtonEnabled()) {
        SetSendEnabled(window, true);
    } else if (mobileLength == 0 && window.SendButtonEnabled()) {
        SetSendEnabled(window, false);
    }
}

} // namespace wrenquil
